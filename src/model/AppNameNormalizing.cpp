#include "model/AppCapabilities.h"
#include "platform/TextServices.h"

namespace nimbrel {

QString normalizedAppName(const QString& name) {
    QString text = foldCaseAndDiacritics(name).toLower();
    text.remove(QLatin1String(".app"), Qt::CaseSensitive);
    // Only letters and digits stay (so trimming the ends first would change nothing); they are
    // moved forward in place, as the kept text is never longer than the text read.
    QChar* kept = text.data();
    forEachCodePoint(text, [&kept](char32_t codePoint, QStringView units) {
        if (!isLetterOrDigit(codePoint)) return;
        for (const QChar unit : units)
            *kept++ = unit;
    });
    text.truncate(kept - text.constData());
    return text;
}

} // namespace nimbrel
