#include "table/RowMatching.h"

#include "table/TMlbSetOfChar.h"

#include <algorithm>
#include <string>

namespace kelvo {
namespace {

char ToUpper(char c) {
    return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

std::string PrepareForLike(const TConcordances& options, std::string_view text) {
    std::string prepared(text);
    if (!options.spacesSignificant)
        std::erase(prepared, ' ');
    if (!options.caseSignificant)
        std::transform(prepared.begin(), prepared.end(), prepared.begin(), ToUpper);
    return prepared;
}

bool IsLikeOperator(std::string_view op) {
    return op.size() == 4 && ToUpper(op[0]) == 'L' && ToUpper(op[1]) == 'I' &&
           ToUpper(op[2]) == 'K' && ToUpper(op[3]) == 'E';
}

bool IsDigit(unsigned char c) {
    return c >= '0' && c <= '9';
}

// One pass over the pattern; pos is the last byte of the text matched so far.
class LikeMatcher {
public:
    LikeMatcher(std::string_view pattern, std::string_view text)
        : pattern_(pattern), text_(text), length_(static_cast<long>(text.size())) {}

    bool Run() {
        size_t i = 0;
        while (ok_ && i < pattern_.size()) {
            const auto c = static_cast<unsigned char>(pattern_[i]);
            if (inClass_ && TakeClassByte(c)) {
                ++i;
                continue;
            }
            i = TakeOutside(i);
        }
        return ok_ && pos_ >= length_ - 1;
    }

private:
    // Builds the bracket class; false for the "]" that closes it, which is
    // then handled outside the class.
    bool TakeClassByte(unsigned char c) {
        if (c == ']') {
            inClass_ = false;
            return false;
        }
        if (c == '-' && haveSingle_) {
            rangePending_ = true;
        } else if (c == '!' && !haveSingle_) {
            negated_ = true;
        } else if (rangePending_) {
            for (int b = lastSingle_ + 1; b <= c; ++b)
                class_.Include(static_cast<unsigned char>(b));
            rangePending_ = false;
        } else {
            class_.Include(c);
            lastSingle_ = c;
            haveSingle_ = true;
        }
        return true;
    }

    size_t TakeOutside(size_t i) {
        const auto c = static_cast<unsigned char>(pattern_[i]);
        switch (c) {
        case '*':
            return TakeStarRun(i);
        case '?':
            MatchNext([](unsigned char) { return true; });
            break;
        case '#':
            MatchNext(IsDigit);
            break;
        case '[':
            StartClass();
            break;
        case ']':
            MatchNext([this](unsigned char b) { return class_.Contains(b) != negated_; });
            break;
        default:
            MatchNext([c](unsigned char b) { return b == c; });
            break;
        }
        return i + 1;
    }

    template <typename Accepts> void MatchNext(Accepts accepts) {
        ++pos_;
        ok_ = pos_ < length_ && accepts(static_cast<unsigned char>(text_[pos_]));
    }

    void StartClass() {
        inClass_ = true;
        class_.Clear();
        negated_ = false;
        rangePending_ = false;
        haveSingle_ = false;
    }

    // A run of "*" and "?" after a "*": each byte after the first "*" needs
    // one byte of text. The run ends at the first later occurrence of the
    // byte that follows it (a digit for "#"); there is no backtracking.
    size_t TakeStarRun(size_t i) {
        size_t j = i + 1;
        long needed = 0;
        while (j < pattern_.size() && (pattern_[j] == '*' || pattern_[j] == '?')) {
            ++needed;
            ++j;
        }
        const long from = pos_ + 1;
        if (j == pattern_.size()) {
            ok_ = length_ - from >= needed;
            pos_ = length_ - 1;
            return j;
        }
        const auto next = static_cast<unsigned char>(pattern_[j]);
        long found = from;
        while (found < length_ && !(next == '#' ? IsDigit(static_cast<unsigned char>(text_[found]))
                                                : static_cast<unsigned char>(text_[found]) == next))
            ++found;
        ok_ = found < length_ && found - from >= needed;
        pos_ = found;
        return j + 1;
    }

    std::string_view pattern_;
    std::string_view text_;
    long length_;
    long pos_ = -1;
    bool ok_ = true;
    bool inClass_ = false;
    bool negated_ = false;
    bool rangePending_ = false;
    bool haveSingle_ = false;
    int lastSingle_ = 0;
    TMlbSetOfChar class_;
};

} // namespace

bool CompareByOperator(const TConcordances& options, std::string_view rowText, std::string_view op,
                       std::string_view value) {
    // string_view compares bytes as unsigned values.
    const int order = rowText.compare(value);
    if (op == "<")
        return order < 0;
    if (op == ">")
        return order > 0;
    if (op == "=")
        return order == 0;
    if (op == "<=")
        return order <= 0;
    if (op == ">=")
        return order >= 0;
    if (!IsLikeOperator(op))
        return false;
    const std::string row = PrepareForLike(options, rowText);
    const std::string pattern = PrepareForLike(options, value);
    return options.wildcardsOn ? LikeMatch(pattern, row) : row == pattern;
}

bool LikeMatch(std::string_view pattern, std::string_view text) {
    return LikeMatcher(pattern, text).Run();
}

} // namespace kelvo
