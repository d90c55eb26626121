import QtQuick

// The round back arrow of the sessions screens and the editor's libraries.
GlassCircleButton {
    systemImage: "arrow.left"
    accessibilityLabel: "Back"
    size: 34
    symbolSize: 14
    symbolWeight: Font.Bold
    hoverScale: 1.02
    highlightLength: 28
}
