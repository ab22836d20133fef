// Looking up a value in a version resource: a tree of nodes (VS_VERSIONINFO, StringFileInfo,
// string tables, strings; VarFileInfo, Translation), each a length, a value length, a type, a
// UTF-16 key and a value, children following at 4-byte boundaries. Every node must lie inside
// its parent, so a damaged length cannot lead a lookup outside the resource.
#include "installlib/installlib_internal.h"

namespace {

using namespace installlib::detail;

constexpr uint32_t NODE_HEADER_SIZE = 6;
constexpr uint32_t TYPE_TEXT = 1;

struct Node {
    uint32_t start;
    uint32_t end;
    uint32_t keyEnd; // offset of the key's terminator
    uint32_t valueStart;
    uint32_t valueBytes;
    uint32_t childrenStart;
    bool isText;
};

uint32_t Align4(uint32_t offset, uint32_t limit)
{
    const uint64_t aligned = (uint64_t { offset } + 3) & ~uint64_t { 3 };
    return aligned < limit ? static_cast<uint32_t>(aligned) : limit;
}

// Reads the node at start, which must end by limit.
bool ParseNode(const uint8_t* resource, uint32_t start, uint32_t limit, Node* node)
{
    if (start > limit || limit - start < NODE_HEADER_SIZE)
        return false;
    const uint32_t length = SYS_LoadU16(resource + start);
    if (length < NODE_HEADER_SIZE || length > limit - start)
        return false;
    node->start = start;
    node->end = start + length;
    node->isText = SYS_LoadU16(resource + start + 4) == TYPE_TEXT;
    uint32_t at = start + NODE_HEADER_SIZE;
    while (at + 2 <= node->end && SYS_LoadU16(resource + at) != 0)
        at += 2;
    if (at + 2 > node->end)
        return false; // the key has no terminator inside the node
    node->keyEnd = at;
    node->valueStart = Align4(at + 2, node->end);
    // Text lengths count UTF-16 units; some writers give bytes, so the node's end bounds both.
    const uint32_t declared = SYS_LoadU16(resource + start + 2) * (node->isText ? 2u : 1u);
    const uint32_t room = node->end - node->valueStart;
    node->valueBytes = declared < room ? declared : room;
    node->childrenStart = Align4(node->valueStart + node->valueBytes, node->end);
    return true;
}

uint32_t AsciiLower(uint32_t c)
{
    return c >= 'A' && c <= 'Z' ? c + 32 : c;
}

// Whether the node's key is the component (count bytes), ASCII letters compared without case.
bool KeyMatches(const uint8_t* resource, const Node& node, const char* component, size_t count)
{
    const uint32_t keyStart = node.start + NODE_HEADER_SIZE;
    if ((node.keyEnd - keyStart) / 2 != count)
        return false;
    for (size_t i = 0; i < count; ++i) {
        const uint32_t unit = SYS_LoadU16(resource + keyStart + static_cast<uint32_t>(i) * 2);
        const uint32_t wanted = static_cast<unsigned char>(component[i]);
        if (unit >= 0x80 || AsciiLower(unit) != AsciiLower(wanted))
            return false;
    }
    return true;
}

// The child of parent whose key is the component.
bool FindChild(
    const uint8_t* resource, const Node& parent, const char* component, size_t count, Node* child)
{
    uint32_t at = parent.childrenStart;
    while (at < parent.end) {
        if (!ParseNode(resource, at, parent.end, child))
            return false;
        if (KeyMatches(resource, *child, component, count))
            return true;
        at = Align4(child->end, parent.end);
    }
    return false;
}

}

namespace installlib::detail {

bool FindVersionValue(
    const uint8_t* resource, uint32_t size, const char* subBlock, VersionValue* value)
{
    Node node {};
    if (!resource || !subBlock || !ParseNode(resource, 0, size, &node))
        return false;
    const char* at = subBlock;
    while (*at != 0) {
        if (*at == '\\') {
            ++at;
            continue;
        }
        size_t count = 0;
        while (at[count] != 0 && at[count] != '\\')
            ++count;
        Node child {};
        if (!FindChild(resource, node, at, count, &child))
            return false;
        node = child;
        at += count;
    }
    *value = { resource + node.valueStart, node.valueBytes, node.isText };
    return true;
}

}
