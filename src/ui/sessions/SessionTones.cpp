#include "ui/sessions/SessionTones.h"

namespace nimbrel {

QColor sessionToneColor(SessionTone tone, double opacity) {
    QColor colour;
    switch (tone) {
    case SessionTone::white:
        colour = QColor(255, 255, 255);
        break;
    case SessionTone::green:
        colour = QColor(48, 209, 88);
        break;
    case SessionTone::yellow:
        colour = QColor(255, 214, 10);
        break;
    case SessionTone::red:
        colour = QColor(255, 69, 58);
        break;
    case SessionTone::purple:
        colour = QColor(191, 90, 242);
        break;
    case SessionTone::gray:
        colour = QColor(152, 152, 157);
        break;
    }
    colour.setAlphaF(static_cast<float>(opacity));
    return colour;
}

QVariantMap rowLookMap(const SessionRowLook& look) {
    return {{QStringLiteral("subtitle"), look.subtitle},
            {QStringLiteral("subtitleColor"), look.subtitleColor},
            {QStringLiteral("fill"), look.fill},
            {QStringLiteral("outline"), look.outline}};
}

} // namespace nimbrel
