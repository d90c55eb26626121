// Runs a fuzz target's body without libFuzzer: every file of the given folders, then a
// fixed set of truncations and byte mutations of each, so that compilers without
// libFuzzer (and the sanitizer build) still exercise the same checks.
#include <QByteArray>
#include <QDir>
#include <QFile>

#include <cstdint>
#include <cstdio>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size);

namespace {

void feed(const QByteArray& bytes) {
    LLVMFuzzerTestOneInput(reinterpret_cast<const std::uint8_t*>(bytes.constData()),
                           static_cast<std::size_t>(bytes.size()));
}

// Deterministic: the same mutations on every run.
void feedMutations(const QByteArray& seed) {
    std::uint32_t state = 2463534242u;
    auto next = [&state] {
        state ^= state << 13;
        state ^= state >> 17;
        state ^= state << 5;
        return state;
    };
    static const char* const kTokens[] = {
        "null",        "\"\"", "{}",         "[]",     "1e400", "-0", "9223372036854775807",
        "\"\\ud800\"", "true", "\"sunday\"", "\"_0\"", "0.5"};
    for (qsizetype cut = 0; cut < seed.size(); cut += qMax<qsizetype>(1, seed.size() / 40))
        feed(seed.left(cut));
    for (int i = 0; i < 400 && !seed.isEmpty(); ++i) {
        QByteArray mutated = seed;
        const qsizetype at = static_cast<qsizetype>(next() % static_cast<std::uint32_t>(mutated.size()));
        switch (next() % 3) {
        case 0:
            mutated[at] = static_cast<char>(next() & 0xff);
            break;
        case 1:
            mutated.remove(at, static_cast<qsizetype>(next() % 16));
            break;
        default:
            mutated.insert(at, kTokens[next() % (sizeof(kTokens) / sizeof(*kTokens))]);
            break;
        }
        feed(mutated);
    }
}

} // namespace

int main(int argc, char** argv) {
    int files = 0;
    for (int i = 1; i < argc; ++i) {
        QDir dir(QString::fromLocal8Bit(argv[i]));
        for (const QString& name : dir.entryList(QDir::Files, QDir::Name)) {
            QFile file(dir.filePath(name));
            if (!file.open(QIODevice::ReadOnly)) {
                std::fprintf(stderr, "cannot read %s\n", qPrintable(file.fileName()));
                return 1;
            }
            const QByteArray seed = file.readAll();
            feed(seed);
            feedMutations(seed);
            ++files;
        }
    }
    if (files == 0) {
        std::fprintf(stderr, "no seed files found\n");
        return 1;
    }
    std::printf("replayed %d seed files with their mutations\n", files);
    return 0;
}
