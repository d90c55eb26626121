import QtQuick

// A number animation that moves as a view model's last change asked: with its spring, or at
// once when the change was not animated.
NumberAnimation {
    property QtObject motion: null
    duration: motion ? motion.duration : 0
    easing.type: motion ? motion.easingType : Easing.Linear
    easing.overshoot: motion ? motion.overshoot : 0
}
