#pragma once

#include "platform/LoginItems.h"

namespace nimbrel {

// Opening the program at login on this machine: a freedesktop autostart entry
// "nimbrel.desktop" in the autostart folder that starts the program's own executable.
// No entry: not registered. Our entry: enabled, unless the desktop's session settings
// switched it off (then it waits for the user's approval). An entry that starts something
// else, or that is not a desktop entry at all: not found.
class AutostartLoginItems final : public LoginItems {
  public:
    static inline const QString kFileName = QStringLiteral("nimbrel.desktop");

    AutostartLoginItems(QString autostartFolder, QString executablePath);

    // $XDG_CONFIG_HOME/autostart, else ~/.config/autostart.
    static QString defaultFolder();

    LoginItemStatus status() const override;
    bool registerMainApp(QString* error = nullptr) override;
    bool unregisterMainApp(QString* error = nullptr) override;

    QString entryPath() const;
    // The entry's text for an executable: its Exec value quoted and escaped as the
    // desktop entry format asks.
    static QByteArray entryText(const QString& executablePath);
    // The program an entry's Exec value starts (its first argument, unquoted); empty when
    // the value is malformed.
    static QString execProgram(const QString& execValue);

  private:
    QString folder_;
    QString executable_;
};

} // namespace nimbrel
