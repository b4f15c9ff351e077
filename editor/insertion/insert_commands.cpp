#include "editor/insertion/insert_commands.h"

#include "editor/engine.h"
#include "editor/insertion/form_link.h"
#include "editor/insertion/open_dialog.h"
#include "store/ascii.h"
#include "store/contents_tree.h"
#include "store/error.h"
#include "store/site_folder.h"
#include "store/text_codec.h"

#include <QListWidget>
#include <QUrl>

namespace quillery {
namespace {

// The node at a line of the contents list (tree order), or none.
const TTreeNode* NodeAt(const TContentsTree& tree, int line) {
    if (line < 0)
        return nullptr;
    const TTreeNode* node = tree.GetFirstNode();
    for (int i = 0; node && i < line; ++i)
        node = node->GetNext();
    return node;
}

QStringList ContentsLines(const TContentsTree& tree) {
    QStringList lines;
    lines.reserve(qsizetype(tree.NodeCount()));
    for (const TTreeNode* node = tree.GetFirstNode(); node; node = node->GetNext())
        lines.append(QString(node->Level(), QLatin1Char(' ')) + FromCp1251(node->Text()));
    return lines;
}

std::string ContentsLinkFragment(const TTreeNode& node) {
    return "<A HREF=\"?" + node.Rec().FileName + "\" TARGET=\"index\">" + node.Text() + "</A>";
}

// Each character of text as it goes into a Windows-1251 fragment: as itself,
// or, when the code page lacks it, as encode() makes it.
template <class Encode> QString KeepInCodePage(const QString& text, Encode encode) {
    QString out;
    for (const char32_t c : text.toUcs4()) {
        const QString one = QString::fromUcs4(&c, 1);
        out += FitsCp1251(one) ? one : encode(one, c);
    }
    return out;
}

// A chosen file's path as a link address. Characters that would start an
// escape, a query or a fragment are escaped, so the link names the file.
QString PreviewAddress(const QString& path) {
    QString escaped;
    for (const QChar c : path) {
        if (c == u'%' || c == u'#' || c == u'?')
            escaped += QString::fromLatin1(QUrl::toPercentEncoding(QString(c)));
        else
            escaped += c;
    }
    return KeepInCodePage(escaped, [](const QString& one, char32_t) {
        return QString::fromLatin1(QUrl::toPercentEncoding(one));
    });
}

QString EscapeMarkup(const QString& text) {
    return KeepInCodePage(text.toHtmlEscaped(), [](const QString&, char32_t c) {
        return QStringLiteral("&#%1;").arg(uint(c));
    });
}

// The link to a chosen file: its path as it is on disk (paths here are
// case-sensitive), its file name lower-cased as the text.
std::string PreviewLinkFragment(const QString& path) {
    return ToCp1251(
        QStringLiteral("<a href=\"%1\" target=_blank>%2</a>")
            .arg(EscapeMarkup(PreviewAddress(path)), EscapeMarkup(AsciiLower(FileNamePart(path)))));
}

} // namespace

TInsertCommands::TInsertCommands(Engine& engine, const TContentsTree& tree, TFormLink& formLink,
                                 TOpenDialog& openDialog, UndoRedoFlags flags)
    : m_engine(engine), m_tree(tree), m_formLink(formLink), m_openDialog(openDialog),
      m_flags(std::move(flags)) {}

void TInsertCommands::LinkExecute() {
    m_engine.execCommand(QStringLiteral("CreateLink"), true);
}

void TInsertCommands::DirectryExecute() {
    QListWidget* list = m_formLink.ListBox();
    list->clear();
    list->addItems(ContentsLines(m_tree));
    list->setCurrentRow(0);
    if (m_formLink.exec() != QDialog::Accepted)
        return;
    const TTreeNode* node = NodeAt(m_tree, m_formLink.ItemIndex());
    if (!node)
        throw Error("Invalid index");
    if (m_engine.selectionType() == SelectionType::None) {
        InsertHTML(m_engine, ContentsLinkFragment(*node), m_flags);
        return;
    }
    m_engine.execCommand(QStringLiteral("CreateLink"), false,
                         QLatin1Char('?') + FileNameFromModel(node->Rec().FileName));
}

void TInsertCommands::ImageExecute() {
    m_engine.Exec(TargetCommand::InsertImage);
}

void TInsertCommands::ImageOpenExecute() {
    m_openDialog.FileName.clear();
    if (const ElementPtr link = SelectedElement(m_engine, QStringLiteral("A"))) {
        QString address;
        try {
            address = link->href();
        } catch (const Error&) {
            // An address that cannot be read opens the dialog without a file.
        }
        const QUrl url(address);
        const QString path = url.isLocalFile() ? url.toLocalFile() : address;
        if (!FileNamePart(path).isEmpty())
            m_openDialog.FileName = FileNamePart(path);
        if (!FolderPart(path).isEmpty())
            m_openDialog.InitialDir = FolderPart(path);
    }
    if (!m_openDialog.Execute())
        return;
    const QString path = m_openDialog.FileName;
    if (m_engine.selectionType() == SelectionType::None) {
        InsertHTML(m_engine, PreviewLinkFragment(path), m_flags);
        return;
    }
    m_engine.execCommand(QStringLiteral("CreateLink"), false, PreviewAddress(path));
    const RangePtr range = m_engine.createRange();
    const ElementPtr link =
        range->isControl() ? range->item(0)->parentElement() : range->parentElement();
    if (!link)
        throw Error("Ссылка создана, но её элемент не найден.");
    link->setAttribute(QStringLiteral("target"), QStringLiteral("_blank"));
}

void TInsertCommands::SymbolExecute(std::string_view entity) {
    InsertHTML(m_engine, entity, m_flags);
}

} // namespace quillery
