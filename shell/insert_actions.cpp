#include "shell/insert_actions.h"

#include "editor/insertion/category_buttons.h"
#include "editor/insertion/symbol_table.h"
#include "shell/edit_actions.h"

namespace quillery {

TActionListInsert TActionListInsert::Create(QObject* owner) {
    TActionListInsert list{};
    list.Link = MakeAction(
        owner, QStringLiteral("Link"), QStringLiteral("Вставить гиперссылку"),
        QStringLiteral("Создание ссылки на веб-страницу, рисунок,  адрес электронной почты или "
                       "программу"),
        QKeySequence(Qt::CTRL | Qt::Key_K));
    list.Directry =
        MakeAction(owner, QStringLiteral("Directry"), QStringLiteral("Вставить элемент оглавления"),
                   QStringLiteral("Создание ссылки на элемент оглавления"),
                   QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_K));
    list.Image =
        MakeAction(owner, QStringLiteral("Image"), QStringLiteral("Вставить рисунок из файла"),
                   QStringLiteral("Вставка рисунка из файла"), QKeySequence(Qt::CTRL | Qt::Key_G));
    list.ImageOpen = MakeAction(owner, QStringLiteral("ImageOpen"),
                                QStringLiteral("Вставить просмотровый рисунок из файла"),
                                QStringLiteral("Вставка просмотрового рисунка из файла"));
    for (const TSymbol& symbol : SymbolTable()) {
        QAction* action = MakeAction(owner, symbol.Name, symbol.Name, symbol.Hint);
        action->setIconText(QString::fromUcs4(&symbol.Glyph, 1));
        list.ActionListInsertSymb.append(action);
    }
    return list;
}

TCategoryButtons* CreateSymbolPalette(const TActionListInsert& actions) {
    QList<TCategoryButtons::TCategory> categories;
    for (const TSymbolGroup& group : SymbolGroups())
        categories.append({group.Caption, QColor(QRgb(group.Colour)), !group.OpenAtStart, {}});
    const std::vector<TSymbol>& table = SymbolTable();
    for (std::size_t i = 0; i < table.size(); ++i)
        categories[table[i].Group].Items.append(actions.ActionListInsertSymb[qsizetype(i)]);
    auto* palette = new TCategoryButtons(nullptr);
    palette->setObjectName(QStringLiteral("CategoryButtonsInsertSymbol"));
    palette->SetCategories(std::move(categories));
    return palette;
}

} // namespace quillery
