#pragma once

#include <QList>
#include <QPoint>
#include <QString>
#include <QStringList>
#include <QVariant>
#include <functional>
#include <memory>

class QWidget;

namespace quillery {

// The HTML editing engine as the editing commands see it: one document in
// design mode, its selection, its elements and the command set with the
// classic meanings of the HTML editing command set.
//
// Every call is synchronous and checks its result: a failure throws
// quillery::Error. Finding nothing is not a failure (a null pointer).
//
// Engine objects (elements, ranges) are handles: obtain them inside a command
// and let them go when it ends. A handle must not outlive its engine, and it
// goes stale when another document is loaded (using it then throws).

class Element;
class Range;
using ElementPtr = std::unique_ptr<Element>;
using RangePtr = std::unique_ptr<Range>;

// Answers of queryCommandValue: an invalid QVariant is Null (the value differs
// across the selection); otherwise bool, int or QString.
inline bool IsNull(const QVariant& value) {
    return !value.isValid();
}

enum class SelectionType { None, Text, Control };

// Commands of ExecWB, with their OLECMDID numbers.
enum class WebCommand {
    Save = 3,
    Print = 6,
    Cut = 11,
    Copy = 12,
    Paste = 13,
    Undo = 15,
    Redo = 16
};

// Commands of the document's command target.
enum class TargetCommand {
    Find = 67,             // find bar over the document
    InsertImage = 2168,    // picture dialog, inserts at the selection
    BlockFormats = 2233,   // yields the block-format names
    ShowZeroBorders = 2328 // toggles the outline of tables whose border is 0
};

// One write into the images or links collection: item index and new text.
struct UrlRewrite {
    int index = 0;
    QString text;
};

class Element {
public:
    virtual ~Element() = default;

    virtual QString tagName() = 0;          // upper case: "TD", "IMG"
    virtual ElementPtr parentElement() = 0; // null above the root element
    virtual QString outerHTML() = 0;
    virtual void setOuterHTML(const QString& html) = 0;
    // Sets the attribute as given, an empty value included.
    virtual void setAttribute(const QString& name, const QString& value) = 0;
    virtual QString href() = 0; // a link's target as a full URL

    // Table, row and cell properties named like their attributes ("align",
    // "cellPadding", "bgColor", "vAlign", ...): an absent attribute reads
    // empty, writing empty removes the attribute.
    virtual QString property(const QString& name) = 0;
    virtual void setProperty(const QString& name, const QString& value) = 0;
    virtual bool noWrap() = 0;
    virtual void setNoWrap(bool on) = 0;

    // TABLE
    virtual ElementPtr insertRow(int index) = 0; // -1 appends
    virtual void deleteRow(int index) = 0;
    // TR
    virtual int rowIndex() = 0; // among all rows of the table
    virtual int cellCount() = 0;
    virtual ElementPtr cell(int index) = 0;
    virtual ElementPtr insertCell(int index) = 0; // a TD; -1 appends
    virtual void deleteCell(int index) = 0;
    // TD
    virtual int cellIndex() = 0;
    virtual int colSpan() = 0;
    virtual void setColSpan(int span) = 0;
    virtual int rowSpan() = 0;
    virtual void setRowSpan(int span) = 0;
};

// What CreateRange yields: a text range (a caret or selected text) or a
// control range (objects selected whole). Calling an operation of the other
// kind throws.
class Range {
public:
    virtual ~Range() = default;

    virtual bool isControl() = 0;

    // Text range.
    virtual QString htmlText() = 0;
    virtual ElementPtr parentElement() = 0; // innermost element holding the range
    // Replaces the range's contents through the engine's editing path, so
    // that Undo takes it back.
    virtual void pasteHTML(const QString& html) = 0;

    // Control range.
    virtual int length() = 0;
    virtual ElementPtr item(int index) = 0;
    virtual ElementPtr commonParentElement() = 0;
    virtual void execCommand(const QString& command, bool showUI = false,
                             const QVariant& value = {}) = 0;
};

class Engine {
public:
    virtual ~Engine() = default;

    // The editing area, for the main window to place in its layout.
    virtual QWidget* widget() = 0;

    // Starts loading "about:blank" or a document file (a full path); the
    // load completes in WaitForEngine.
    virtual void Navigate(const QString& target) = 0;
    // 4 when the document is complete, less while loading.
    virtual int ReadyState() = 0;
    // Waits, dispatching events, until the document is complete. Throws when
    // the last load failed.
    virtual void WaitForEngine() = 0;

    // "Inherit" for a freshly loaded document, then "On" or "Off".
    virtual QString DesignMode() = 0;
    virtual void setDesignMode(const QString& mode) = 0;
    virtual void setCharset(const QString& charset) = 0;
    virtual QString title() = 0;
    virtual void setTitle(const QString& title) = 0;

    // The images and links collections, read and written in one go each:
    // sources and targets come as full URLs (an unreadable one as empty text)
    // and are written as the text given.
    virtual QStringList imageSources() = 0;
    virtual void setImageSources(const QList<UrlRewrite>& rewrites) = 0;
    virtual ElementPtr image(int index) = 0;
    virtual QStringList linkTargets() = 0;
    virtual void setLinkTargets(const QList<UrlRewrite>& rewrites) = 0;
    virtual ElementPtr link(int index) = 0;

    virtual void ExecWB(WebCommand command) = 0;
    // Returns the block-format names for BlockFormats, nothing otherwise.
    virtual QStringList Exec(TargetCommand command) = 0;

    virtual bool queryCommandEnabled(const QString& command) = 0;
    virtual bool queryCommandState(const QString& command) = 0;
    // Colours as 0x00BBGGRR integers, "FontSize" as HTML size 1 to 7, the
    // Justify commands as bool, "FontName" and "FormatBlock" as text; Null
    // where the value differs across the selection.
    virtual QVariant queryCommandValue(const QString& command) = 0;
    virtual void execCommand(const QString& command, bool showUI = false,
                             const QVariant& value = {}) = 0;

    virtual SelectionType selectionType() = 0;
    virtual RangePtr createRange() = 0;

    // Called on a right click in the document with the screen point; the
    // engine shows no menu of its own.
    virtual void setShowContextMenu(std::function<void(const QPoint& screenPoint)> handler) = 0;

    // For recovery copies, without waiting on the document: each answer
    // comes later on this thread, or never when the renderer does not
    // answer. The number of edits since the document was loaded (the
    // engine's own housekeeping, like the title, does not count):
    virtual void requestEditCount(std::function<void(qint64 edits)> answer) = 0;
    // The document's markup as a save would write it, before encoding:
    virtual void requestSaveMarkup(std::function<void(const QString& html)> answer) = 0;
    // Puts a saved document's markup in place of the loaded document's.
    virtual void replaceContent(const QString& html) = 0;

    // Called, later on this thread, when the process that renders the
    // document has ended; until the next Navigate every call fails, so a
    // broken page is never saved.
    virtual void setRendererLostHandler(std::function<void()> handler) = 0;
    // Ends a renderer that stopped answering; the lost handler follows.
    virtual void killRenderer() = 0;
};

} // namespace quillery
