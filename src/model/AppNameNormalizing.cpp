#include "model/AppCapabilities.h"
#include "platform/TextServices.h"

namespace nimbrel {

QString normalizedAppName(const QString& name) {
    QString text = foldCaseAndDiacritics(name).toLower();
    text.remove(QLatin1String(".app"), Qt::CaseSensitive);
    text = text.trimmed();
    QString out;
    out.reserve(text.size());
    for (char32_t codePoint : text.toUcs4())
        if (isLetterOrDigit(codePoint)) out.append(QString::fromUcs4(&codePoint, 1));
    return out;
}

} // namespace nimbrel
