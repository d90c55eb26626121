import QtQuick
import Qt5Compat.GraphicalEffects

// A rectangle's soft shadow. Loaded only where the scene graph draws shader effects (see
// EffectLoader), so the effects module stays out of the software renderer's process.
RectangularGlow {}
