#pragma once

#include <QAction>
#include <QDateTime>
#include <QImage>
#include <QWidget>
#include <functional>

class QDateEdit;
class QMenu;

namespace quillery {

class TNoteMemo;

// Thumb: the thumbnail, drawn shrunk with its proportions kept and centred.
class TThumbView final : public QWidget {
    Q_OBJECT
public:
    explicit TThumbView(QWidget* parent);
    Q_DISABLE_COPY_MOVE(TThumbView)

    void SetPicture(const QImage& picture);
    const QImage& Picture() const { return m_picture; }

protected:
    void paintEvent(QPaintEvent* event) override;

private:
    QImage m_picture;
};

// Panel4: the note panel beside the document — thumbnail box PanelPicture
// (Thumb over the placeholder Sign), note Memo1 and date DateTimePicker1.
// It also holds the picture dialog's file name, which records the thumbnail
// the user wants until the document is left.
class TNotePanel final : public QWidget {
    Q_OBJECT
public:
    explicit TNotePanel(QWidget* parent);
    Q_DISABLE_COPY_MOVE(TNotePanel)

    TNoteMemo* Memo1() const { return m_memo; }
    QDateEdit* DateTimePicker1() const { return m_date; }
    TThumbView* Thumb() const { return m_thumb; }
    QWidget* Sign() const { return m_sign; }
    QAction* AddImage() const { return m_addImage; }
    QAction* DelImage() const { return m_delImage; }
    QMenu* PopupMenuThumb() const { return m_popup; }

    QString Note() const;
    void SetNote(const QString& note);
    QDate Date() const;
    void SetDate(const QDate& date);

    // The picture dialog's file name and the folder it starts in.
    QString ThumbFileName() const { return m_thumbFileName; }
    void SetThumbFileName(const QString& name) { m_thumbFileName = name; }
    void SetThumbInitialFolder(const QString& folder) { m_initialFolder = folder; }

    // Shows an existing thumbnail as it is, or the placeholder for a null image.
    void ShowThumb(const QImage& picture);

    void AddImageExecute();
    // Steps of AddImageExecute after the dialog: load, shrink to the box, show.
    void AddImageFromFile(const QString& path);
    void DelImageExecute();

    // Replaces the file dialog, for tests; returns the chosen path or empty.
    void SetPictureChooser(std::function<QString()> chooser) { m_chooser = std::move(chooser); }

signals:
    // The note, the date or the thumbnail changed.
    void Edited();

protected:
    void contextMenuEvent(QContextMenuEvent* event) override;

private:
    QString ChoosePicture();

    TNoteMemo* m_memo;
    QDateEdit* m_date;
    QWidget* m_pictureBox;
    TThumbView* m_thumb;
    QWidget* m_sign;
    QAction* m_addImage;
    QAction* m_delImage;
    QMenu* m_popup;
    QString m_thumbFileName;
    QString m_initialFolder;
    std::function<QString()> m_chooser;
};

} // namespace quillery
