#pragma once

namespace nimbrel {

// What a Dock tap does by default; a missing or unknown stored value reads as automatic.
enum class NimbrelBehaviorMode { automatic, restore, cycling, disabled };

} // namespace nimbrel
