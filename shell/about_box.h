#pragma once

#include <QDialog>

namespace quillery {

// TAboutBox: product name, version and the maker's contact labels.
class TAboutBox final : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent);
    Q_DISABLE_COPY_MOVE(TAboutBox)
};

// The product and maker texts shared by the about box and the site dialog.
QString ProductName();
QString ProductDescription();
QString ProductVersion();
QString MakerContactHtml();

} // namespace quillery
