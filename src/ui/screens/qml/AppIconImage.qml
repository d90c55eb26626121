import QtQuick

// An application's icon, scaled to fit with rounded corners; where no icon image can be
// drawn, a tile with the app's initials.
Item {
    id: icon
    property string source: ""
    property string name: ""

    function initials(title) {
        const words = title.split(" ").filter(w => w.length > 0)
        if (words.length === 0)
            return "?"
        return (words.length > 1 ? words[0][0] + words[1][0] : words[0].slice(0, 2)).toUpperCase()
    }
    function tileColour(title) {
        let h = 0
        for (let i = 0; i < title.length; ++i)
            h = (h * 31 + title.charCodeAt(i)) % 360
        return Qt.hsla(h / 360, 0.55, 0.45, 1)
    }

    Rectangle {
        anchors.fill: parent
        visible: icon.source.length === 0
        radius: 6
        gradient: Gradient {
            GradientStop { position: 0.0; color: Qt.lighter(icon.tileColour(icon.name), 1.25) }
            GradientStop { position: 1.0; color: icon.tileColour(icon.name) }
        }
        Text {
            anchors.centerIn: parent
            text: icon.initials(icon.name)
            color: "white"
            font.pixelSize: parent.width * 0.38
            font.weight: Font.Bold
        }
    }
    Image {
        anchors.fill: parent
        visible: icon.source.length > 0
        source: icon.source
        fillMode: Image.PreserveAspectFit
        sourceSize: Qt.size(width * 2, height * 2)
        smooth: true
    }
}
