#pragma once

// Test helpers: build a contents tree from a compact shape text and print it
// back. "A+(B,C(D)),E": roots A and E; A expanded with children B and C;
// C collapsed with child D. Titles are words of letters and digits; a new
// node (empty title) prints as "N".

#include "store/contents_tree.h"

#include <QString>
#include <stdexcept>
#include <string>

namespace quillery::test {

inline void ParseShapeList(TContentsTree& tree, TTreeNode* parent, const std::string& s,
                           std::size_t& p) {
    while (p < s.size()) {
        std::string title;
        while (p < s.size() && std::isalnum(static_cast<unsigned char>(s[p])))
            title += s[p++];
        if (title.empty())
            throw std::runtime_error("bad shape: " + s);
        TTreeNode* node = tree.AddChild(parent, title);
        node->Rec().FileName = title + ".htm";
        if (p < s.size() && s[p] == '+') {
            node->SetExpanded(true);
            ++p;
        }
        if (p < s.size() && s[p] == '(') {
            ++p;
            ParseShapeList(tree, node, s, p);
            if (p >= s.size() || s[p] != ')')
                throw std::runtime_error("bad shape: " + s);
            ++p;
        }
        if (p < s.size() && s[p] == ',') {
            ++p;
            continue;
        }
        return;
    }
}

inline void BuildShape(TContentsTree& tree, const std::string& shape) {
    std::size_t p = 0;
    if (!shape.empty())
        ParseShapeList(tree, nullptr, shape, p);
    if (p != shape.size())
        throw std::runtime_error("bad shape: " + shape);
}

inline std::string ShapeOf(const TContentsTree& tree, const TTreeNode* parent) {
    std::string out;
    for (int i = 0; i < tree.ChildCount(parent); ++i) {
        const TTreeNode* n = tree.ChildAt(parent, i);
        if (i > 0)
            out += ',';
        out += n->Text().empty() ? std::string("N") : n->Text();
        if (n->Expanded())
            out += '+';
        if (n->HasChildren())
            out += '(' + ShapeOf(tree, n) + ')';
    }
    return out;
}

inline QString Shape(const TContentsTree& tree) {
    return QString::fromStdString(ShapeOf(tree, nullptr));
}

inline TTreeNode* FindTitle(const TContentsTree& tree, const std::string& title) {
    for (TTreeNode* n = tree.GetFirstNode(); n; n = n->GetNext())
        if (n->Text() == title)
            return n;
    return nullptr;
}

} // namespace quillery::test
