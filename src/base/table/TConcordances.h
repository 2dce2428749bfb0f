#pragma once

namespace kelvo {

// The comparison options of a table's LIKE comparisons.
struct TConcordances {
    bool spacesSignificant = true; // false: spaces are removed from both texts
    bool caseSignificant = true;   // false: a-z are folded to A-Z in both texts
    bool wildcardsOn = true;       // false: LIKE is plain equality
};

} // namespace kelvo
