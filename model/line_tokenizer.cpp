#include "model/line_tokenizer.h"

bool LineTokenizer::Next(std::string_view& token)
{
    size_t begin = 0;
    while (begin < rest_.size() && IsSeparator(rest_[begin]))
        ++begin;
    if (begin == rest_.size()) {
        rest_ = {};
        return false;
    }
    size_t end = begin;
    while (end < rest_.size() && !IsSeparator(rest_[end]))
        ++end;
    token = rest_.substr(begin, end - begin);
    rest_.remove_prefix(end);
    return true;
}
