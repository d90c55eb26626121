#pragma once

#include <QFont>

namespace nimbrel {

// The typeface of every text the program draws: Inter, made for interfaces and close to the
// metrics the screens' sizes were drawn for; where it is not installed, the system's sans-serif.
// Its faces give each weight the screens use its own face: regular 400, medium 500, semibold
// (Font.DemiBold) 600, bold 700 and heavy (Font.ExtraBold) 800.
QFont interfaceFont();

// Makes it the application's font, which every Text and text field starts from. Call it once
// the application object exists.
void useInterfaceFont();

} // namespace nimbrel
