#pragma once
// The first and last cell of a column that a test picks. Stretches of 32 cells are tested whole,
// in loops the compiler vectorises, so that columns with few or no such cells are passed over
// quickly; the tests are plain comparisons.

namespace insel {

// The first index of values[0, n) whose value `hit` picks, or n.
template <class T, class Hit>
int FirstWhere(const T* values, int n, Hit hit) {
    constexpr int kStretch = 32;
    int first = 0;
    for (; first + kStretch <= n; first += kStretch) {
        unsigned char any = 0;
        for (int k = 0; k < kStretch; ++k)
            any |= static_cast<unsigned char>(hit(values[first + k]));
        if (any != 0) break;
    }
    while (first < n && !hit(values[first])) ++first;
    return first;
}

// The last index of values[0, n) whose value `hit` picks, or -1.
template <class T, class Hit>
int LastWhere(const T* values, int n, Hit hit) {
    constexpr int kStretch = 32;
    int end = n;
    for (; end >= kStretch; end -= kStretch) {
        unsigned char any = 0;
        for (int k = end - kStretch; k < end; ++k)
            any |= static_cast<unsigned char>(hit(values[k]));
        if (any != 0) break;
    }
    int last = end - 1;
    while (last >= 0 && !hit(values[last])) --last;
    return last;
}

}  // namespace insel
