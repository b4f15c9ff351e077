#pragma once

#include "tables/properties_dlg.h"

class QComboBox;

namespace quillery {

// The cell dialog "Ячейка": alignment, size, word wrapping, background and
// border colours of a table cell. Never reset: what a cell does not decide
// stays as the last use left it.
class TCellDlg final : public TPropertiesDlg {
    Q_OBJECT
public:
    explicit TCellDlg(QWidget* parent);
    Q_DISABLE_COPY_MOVE(TCellDlg)

    QComboBox* Align() const { return m_align; }
    QComboBox* Valign() const { return m_valign; }
    QCheckBox* NoWrap() const { return m_noWrap; }

protected:
    bool NumbersValid() const override;

private:
    QComboBox* m_align;
    QComboBox* m_valign;
    QCheckBox* m_noWrap;
};

} // namespace quillery
