#pragma once

#include "platform/ProgramIdentity.h"

#include <QString>

namespace nimbrel::shell {

// The program's identity on the Mac.
inline const QString kBundleIdentifier = kNimbrelBundleIdentifier;
inline const QString kCloudKitContainerIdentifier = kNimbrelCloudKitContainerIdentifier;

// In-process notification names of the app shell.
inline const QString kShowBlacklist = QStringLiteral("Nimbrel.showBlacklist");
inline const QString kShowRules = QStringLiteral("Nimbrel.showRules");
inline const QString kShowSessions = QStringLiteral("Nimbrel.showSessions");
inline const QString kShowActivity = QStringLiteral("Nimbrel.showActivity");
inline const QString kShowSettings = QStringLiteral("Nimbrel.showSettings");
inline const QString kShowMainWindow = QStringLiteral("Nimbrel.showMainWindow");
inline const QString kQuitRequested = QStringLiteral("Nimbrel.quitRequested");
inline const QString kPauseStateDidChange = QStringLiteral("Nimbrel.pauseStateDidChange");
inline const QString kPanelHeightDidChange = QStringLiteral("Nimbrel.panelHeightDidChange");
inline const QString kAccessibilityWasGranted = QStringLiteral("Nimbrel.accessibilityWasGranted");
inline const QString kSessionMenuBarIconDidChange = QStringLiteral("nimbrelSessionMenuBarIconDidChange");
inline const QString kDesignModeDidChange = QStringLiteral("Nimbrel.designModeDidChangeNotification");

// Defaults keys read by the shell (the pause keys are in GlobalPause.h).
inline const QString kAppleInterfaceStyle = QStringLiteral("AppleInterfaceStyle");
inline const QString kLiquidGlassEnabled = QStringLiteral("Nimbrel.settings.liquidGlassEnabled");

// Icon assets of the program and the symbols used when they are missing.
inline const QString kMenuBarIcon = QStringLiteral("NIMBREL_MENU_BAR");
inline const QString kMenuBarIconOrange = QStringLiteral("NIMBREL_MENU_BAR_ORANGE");
inline const QString kPausedSymbol = QStringLiteral("pause.circle.fill");
inline const QString kFallbackSymbol = QStringLiteral("heart.fill");

} // namespace nimbrel::shell
