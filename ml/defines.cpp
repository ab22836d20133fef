// The defines of one load and "$name$" substitution. Defines are found through a hash of their
// narrowed names and every unit is copied once, so substitution costs time in proportion to
// the text it produces, however many defines a file has.
#include "ml/ml_internal.h"

namespace ml::detail {
namespace {

// Appends piece to out when the load's budget allows it.
bool Append(std::u16string& out, std::u16string_view piece, uint64_t& budget)
{
    if (piece.size() > budget)
        return false;
    budget -= piece.size();
    out.append(piece);
    return true;
}

// What a define stands for: its text, or the current text of the entry a numeric define names.
// The entry is measured by its actual text, which escapes may have made shorter than its
// stored length; ML_GetStringW applies the lookup fallback for a bad id or an empty entry.
std::u16string_view ValueOf(const Define& define)
{
    if (!define.numeric)
        return define.text;
    return ML_GetStringW(define.number);
}

}

std::string DefineTable::Key(std::u16string_view name)
{
    std::string key(name.size(), '?');
    for (size_t i = 0; i < name.size(); ++i)
        if (name[i] <= 0xFF)
            key[i] = static_cast<char>(name[i]);
    return key;
}

const Define* DefineTable::Find(std::u16string_view name) const
{
    auto found = m_defines.find(Key(name));
    return found == m_defines.end() ? nullptr : &found->second;
}

void DefineTable::Add(std::u16string_view name, Define define)
{
    m_defines.emplace(Key(name), std::move(define));
}

Substitution Substitute(const DefineTable& defines, std::u16string_view text, uint64_t& budget,
    std::u16string& out, std::u16string_view& name)
{
    size_t position = 0;
    while (position < text.size()) {
        size_t open = text.find(u'$', position);
        if (!Append(out, text.substr(position, open - position), budget))
            return Substitution::TooLong;
        if (open == std::u16string_view::npos)
            break;
        size_t close = text.find(u'$', open + 1);
        if (close == std::u16string_view::npos)
            return Substitution::Unpaired;
        name = text.substr(open + 1, close - open - 1);
        const Define* define = defines.Find(name);
        if (!define)
            return Substitution::UnknownDefine;
        if (!Append(out, ValueOf(*define), budget))
            return Substitution::TooLong;
        position = close + 1;
    }
    return Substitution::Done;
}

}
