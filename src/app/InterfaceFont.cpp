#include "app/InterfaceFont.h"

#include <QGuiApplication>

namespace nimbrel {

QFont interfaceFont() {
    QFont font;
    // Families are matched in order, so a missing Inter costs no look-up of the font list.
    font.setFamilies({QStringLiteral("Inter"), QStringLiteral("sans-serif")});
    font.setStyleHint(QFont::SansSerif);
    return font;
}

void useInterfaceFont() {
    if (QGuiApplication::font() != interfaceFont()) QGuiApplication::setFont(interfaceFont());
}

} // namespace nimbrel
