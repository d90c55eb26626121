#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <iterator>

namespace nimbrel {

// A set of the cases of a small enum (at most 32 cases), kept as bits: no allocation,
// members iterate in declaration order, and equality is "same members".
template <typename E> class EnumSet {
  public:
    class const_iterator {
      public:
        using iterator_category = std::forward_iterator_tag;
        using value_type = E;
        using difference_type = std::ptrdiff_t;
        using pointer = const E*;
        using reference = E;

        const_iterator() = default;
        E operator*() const { return static_cast<E>(index_); }
        const_iterator& operator++() {
            index_ = nextFrom(bits_, index_ + 1);
            return *this;
        }
        const_iterator operator++(int) {
            const_iterator old = *this;
            ++*this;
            return old;
        }
        friend bool operator==(const const_iterator&, const const_iterator&) = default;

      private:
        friend class EnumSet;
        const_iterator(std::uint32_t bits, unsigned index) : bits_(bits), index_(nextFrom(bits, index)) {}
        static unsigned nextFrom(std::uint32_t bits, unsigned index) {
            while (index < 32 && !(bits >> index & 1u))
                ++index;
            return index;
        }
        std::uint32_t bits_ = 0;
        unsigned index_ = 32;
    };
    using iterator = const_iterator;
    using value_type = E;

    EnumSet() = default;
    EnumSet(std::initializer_list<E> values) {
        for (E v : values)
            insert(v);
    }
    template <typename It> EnumSet(It first, It last) {
        for (; first != last; ++first)
            insert(*first);
    }

    void insert(E v) { bits_ |= bit(v); }
    void erase(E v) { bits_ &= ~bit(v); }
    void clear() { bits_ = 0; }
    bool contains(E v) const { return (bits_ & bit(v)) != 0; }
    std::size_t count(E v) const { return contains(v) ? 1 : 0; }
    std::size_t size() const { return static_cast<std::size_t>(__builtin_popcount(bits_)); }
    bool empty() const { return bits_ == 0; }

    const_iterator begin() const { return const_iterator(bits_, 0); }
    const_iterator end() const { return const_iterator(bits_, 32); }

    friend bool operator==(const EnumSet&, const EnumSet&) = default;

  private:
    static std::uint32_t bit(E v) { return std::uint32_t{1} << static_cast<unsigned>(v); }
    std::uint32_t bits_ = 0;
};

} // namespace nimbrel
