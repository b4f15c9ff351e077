#pragma once

#include <QDialog>

class QLineEdit;

namespace quillery {

// The small hyperlink dialog of "CreateLink" with its user interface: one
// address, prefilled with the link at the selection.
class LinkDialog final : public QDialog {
    Q_OBJECT
    Q_DISABLE_COPY_MOVE(LinkDialog)

public:
    LinkDialog(const QString& url, QWidget* parent);

    QString url() const;

private:
    QLineEdit* m_url;
};

} // namespace quillery
