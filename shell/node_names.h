#pragma once

#include "store/contents_tree.h"
#include "store/text_codec.h"

#include <QString>

namespace quillery {

// A node's title and file names as this system's text, converted from
// Windows-1251 once when its document is opened and handed to every step.
struct TNodeNames {
    QString Title;
    QString FileName;
    QString ThumbName;
};

inline TNodeNames NamesOf(const TTreeNode& node) {
    return {FromCp1251(node.Text()), FileNameFromModel(node.Rec().FileName),
            FileNameFromModel(node.Rec().ThumbName)};
}

} // namespace quillery
