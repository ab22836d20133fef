// The defines of one load and "$name$" substitution. Defines are found through a hash of their
// narrowed names and every unit is counted once and copied once, so substitution costs time in
// proportion to the text it produces, however many defines a file has.
#include "ml/ml_internal.h"

namespace ml::detail {
namespace {

// What a define stands for: its text, or the current text of the entry a numeric define names.
// The entry is measured by its actual text, which escapes may have made shorter than its
// stored length; ML_GetStringW applies the lookup fallback for a bad id or an empty entry.
std::u16string_view ValueOf(const Define& define)
{
    if (!define.numeric)
        return define.text;
    return ML_GetStringW(define.number);
}

// Walks text as the counting pass does: each "$" opens a name and the next one closes it.
// Hands literal() the units outside names and value() each named define, in order, and stops
// at the first unknown name (kept in name) or at a name still open at the end.
template <typename Literal, typename Value>
Substitution Walk(const DefineTable& defines, std::u16string_view text, std::u16string_view& name,
    Literal literal, Value value)
{
    size_t position = 0;
    while (position < text.size()) {
        size_t open = text.find(u'$', position);
        literal(text.substr(position, open - position));
        if (open == std::u16string_view::npos)
            break;
        size_t close = text.find(u'$', open + 1);
        if (close == std::u16string_view::npos)
            return Substitution::Unpaired;
        name = text.substr(open + 1, close - open - 1);
        const Define* define = defines.Find(name);
        if (!define)
            return Substitution::UnknownDefine;
        value(*define);
        position = close + 1;
    }
    return Substitution::Done;
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

// Counts first and copies second, so that a fault in the names is reported before the
// length is weighed against the budget, and the copy cannot fail half-way.
Substitution Substitute(const DefineTable& defines, std::u16string_view text, uint64_t& budget,
    std::u16string& out, std::u16string_view& name)
{
    // Once the count is past the budget the names are still checked, but values are no longer
    // measured: measuring an entry's text walks it, and a line may name it many times.
    uint64_t count = 0;
    Substitution counted = Walk(
        defines, text, name, [&count](std::u16string_view piece) { count += piece.size(); },
        [&count, budget](const Define& define) {
            if (count <= budget)
                count += ValueOf(define).size();
        });
    if (counted != Substitution::Done)
        return counted;
    if (count > budget)
        return Substitution::TooLong;
    budget -= count;
    out.reserve(out.size() + static_cast<size_t>(count));
    auto append = [&out](std::u16string_view piece) { out.append(piece); };
    (void)Walk(
        defines, text, name, append, [&append](const Define& define) { append(ValueOf(define)); });
    return Substitution::Done;
}

}
