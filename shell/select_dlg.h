#pragma once

#include <QDialog>
#include <QStringList>
#include <functional>

class QComboBox;
class QListWidget;
class QPushButton;

namespace quillery {

class Asker;

// TSelectDlg: asks at start-up for the folder the site lives in, offering
// the recent folders.
class TSelectDlg final : public QDialog {
    Q_OBJECT
public:
    TSelectDlg(QWidget* parent, Asker& asker);
    Q_DISABLE_COPY_MOVE(TSelectDlg)

    QComboBox* ComboBox1() const { return m_combo; }
    QListWidget* ListBox1() const { return m_list; }
    QPushButton* Button1() const { return m_ok; }
    QPushButton* Button2() const { return m_cancel; }
    QPushButton* Button3() const { return m_browse; }

    // The chosen folder, absolute and clean, always with a trailing delimiter.
    QString ChosenFolder() const;

    void FormShow();
    void Button1Click();
    void Button3Click();
    void ListBox1Click();
    void ComboBox1Select(int index);

    // Replaces the folder browser, for tests; returns the folder or empty.
    void SetFolderChooser(std::function<QString(const QString& start)> chooser) {
        m_chooser = std::move(chooser);
    }

    // The folder proposed when no recent folder exists: the program's own
    // folder, or the home folder when the program's folder is not writable.
    static QString ProposedFolder();

protected:
    void showEvent(QShowEvent* event) override;

private:
    QString BrowseForFolder(const QString& start);

    Asker& m_asker;
    QComboBox* m_combo;
    QListWidget* m_list;
    QPushButton* m_browse;
    QPushButton* m_ok;
    QPushButton* m_cancel;
    QStringList m_shownFolders;
    std::function<QString(const QString&)> m_chooser;
};

} // namespace quillery
