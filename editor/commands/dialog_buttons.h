#pragma once

#include <Qt>

class QDialog;
class QDialogButtonBox;

namespace quillery {

// "OK" (the default button, confirms) and "Отмена" (dismisses, as Esc does)
// for dialog, side by side or stacked.
QDialogButtonBox* OkCancelButtons(QDialog& dialog, Qt::Orientation orientation);

} // namespace quillery
