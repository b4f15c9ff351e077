#pragma once

#include "shell/asker.h"
#include "shell/main_form.h"

#include <QByteArray>
#include <QList>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>
#include <memory>

namespace quillery {

class TTreeNode;

// Answers questions from a list (No when it runs out) and keeps every text.
class ScriptedAsker final : public Asker {
public:
    ScriptedAsker() = default;
    Q_DISABLE_COPY_MOVE(ScriptedAsker)

    bool Confirm(const QString& text, Answer byDefault = Answer::No) override;
    void ShowError(const QString& text) override { errors.append(text); }
    void ShowWarning(const QString& text) override { warnings.append(text); }

    QList<bool> answers;
    QStringList questions;
    QStringList errors;
    QStringList warnings;
};

// A scratch site folder, a folder "outside" it, and a settings store of
// their own, so no test touches the user's settings or home.
class SiteFixture final {
public:
    SiteFixture();
    Q_DISABLE_COPY_MOVE(SiteFixture)

    QString SitePath() const { return m_site; }       // ends in '/'
    QString OutsidePath() const { return m_outside; } // ends in '/'
    QString ConfigPath() const { return m_root.filePath(QStringLiteral("config")); }

    static void WriteFile(const QString& path, const QByteArray& data);
    static QByteArray ReadFile(const QString& path);
    // A document file whose body is the given HTML (Windows-1251).
    static QByteArray Document(const QString& bodyHtml);
    // A small JPEG picture of the given size.
    static QByteArray Jpeg(int width, int height, QRgb colour = 0xff3366aa);
    // The index of a flat list of documents: titles and file names.
    void WriteFlatIndex(const QList<std::pair<QString, QString>>& documents);
    QString SiteFile(const QString& name) const { return m_site + name; }
    QString SavedBody(const QString& name) const;
    QStringList SiteFileNames() const;

    // The main window on this site, with the first document open.
    std::unique_ptr<TMainForm> OpenForm();
    // The action of that name among the tool bar's and the editing commands
    // (a symbol of the palette may bear the same name: "Copy" is ©).
    static QAction* CommandAction(const TMainForm& form, const QString& name);
    // Moves the selection to node as a click would.
    static void Select(TMainForm& form, TTreeNode* node);
    // Runs DOM script on the open document, in the engine's own world.
    static QVariant Script(TMainForm& form, const QString& js);
    // Clicks into the page's first line and types text there.
    static void TypeIntoDocument(TMainForm& form, const QString& text);
    // The page's text as the engine shows it.
    static QString PageText(TMainForm& form);

    ScriptedAsker asker;

private:
    QTemporaryDir m_root;
    QString m_site;
    QString m_outside;
};

} // namespace quillery
