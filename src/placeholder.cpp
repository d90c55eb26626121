// Gives a library without sources of its own something to hold, so that it can be built
// and linked before its first file arrives.
namespace nimbrel::detail {
[[maybe_unused]] static constexpr int kPlaceholder = 0;
} // namespace nimbrel::detail
