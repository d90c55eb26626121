import QtQuick
import Nimbrel.Screens

// A one-line text field without chrome: the text as typed and a placeholder while empty.
// `text` follows the owner; each keystroke is reported through `edited`. Away from the keyboard
// a text longer than the field ends in an ellipsis instead of being cut mid-letter.
Item {
    id: field
    property string text: ""
    property string placeholder: ""
    property font font: Qt.font({ pixelSize: 13 })
    property color color: Qt.rgba(1, 1, 1, 0.92)
    property color placeholderColor: Qt.rgba(1, 1, 1, 0.35)
    property int horizontalAlignment: TextInput.AlignLeft
    readonly property alias activeFocusOnInput: input.activeFocus
    signal edited(string text)

    implicitHeight: input.implicitHeight
    implicitWidth: 120

    function focusInput() { input.forceActiveFocus() }

    TextInput {
        id: input
        FocusWhileShown.enabled: true
        objectName: field.objectName.length > 0 ? field.objectName + "Input" : ""
        anchors.left: parent.left
        anchors.right: parent.right
        anchors.verticalCenter: parent.verticalCenter
        text: field.text
        font: field.font
        color: field.color
        horizontalAlignment: field.horizontalAlignment
        clip: true
        opacity: shortened.visible ? 0 : 1
        selectByMouse: true
        selectionColor: Qt.rgba(0.25, 0.5, 1, 0.6)
        onTextEdited: field.edited(text)
        // Away from the keyboard a long text shows its beginning.
        onTextChanged: if (!activeFocus) cursorPosition = 0
        onActiveFocusChanged: if (!activeFocus) cursorPosition = 0
    }
    Text {
        id: shortened
        anchors.fill: input
        visible: !input.activeFocus && input.text.length > 0 && input.contentWidth > input.width
        text: input.text
        textFormat: Text.PlainText
        font: field.font
        color: field.color
        horizontalAlignment: field.horizontalAlignment
        verticalAlignment: Text.AlignVCenter
        elide: Text.ElideRight
    }
    Text {
        anchors.fill: input
        visible: input.text.length === 0
        text: field.placeholder
        font: field.font
        color: field.placeholderColor
        horizontalAlignment: field.horizontalAlignment
        verticalAlignment: Text.AlignVCenter
        elide: Text.ElideRight
    }
    MouseArea {
        anchors.fill: parent
        cursorShape: Qt.IBeamCursor
        onPressed: mouse => { input.forceActiveFocus(); mouse.accepted = false }
    }
}
