import QtQuick
import Nimbrel.Screens

// A number animation along a spring given by its response and damping fraction.
NumberAnimation {
    property alias response: spring.response
    property alias dampingFraction: spring.dampingFraction
    property SpringCurve spring: SpringCurve { id: spring }
    duration: spring.duration
    easing.type: spring.easingType
    easing.overshoot: spring.overshoot
}
