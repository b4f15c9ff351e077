#include "shell/table_actions.h"

#include "shell/artwork.h"
#include "shell/edit_actions.h"
#include "tables/table_structure.h"

namespace quillery {

TActionListTable TActionListTable::Create(QObject* owner) {
    TActionListTable list{};
    list.Table = MakeAction(owner, "Table", "Таблица", "Вставка таблицы в документ",
                            QKeySequence(Qt::CTRL | Qt::Key_T));
    list.PropertyCell = MakeAction(owner, "PropertyCell", "Свойства ячейки",
                                   "Изменение параметров табличной ячейки",
                                   QKeySequence(Qt::CTRL | Qt::ALT | Qt::Key_T));
    list.InsertRow = MakeAction(owner, "InsertRow", "Вставить строку",
                                "Добавление новой строки непосредственно под выделенной строкой ");
    list.DeleteRow = MakeAction(owner, "DeleteRow", "Удалить строку", "Удаление выделенной строки");
    list.InsertCell = MakeAction(owner, "InsertCell", "Вставить ячейку",
                                 "Добавление новой ячейки непосредственно за выделенной ячейкой");
    list.DeleteCell =
        MakeAction(owner, "DeleteCell", "Удалить ячейку", "Удаление выделенной ячейки");
    list.colspanadd = MakeAction(owner, "colspanadd", "Растянуть ячейку по горизонтали",
                                 "Растягивание ячейки по горизонтали");
    list.colspansub = MakeAction(owner, "colspansub", "Сжать ячейку по горизонтали",
                                 "Сжатие ячейки по горизонтали");
    list.rowspanadd = MakeAction(owner, "rowspanadd", "Растянуть ячейку по вертикали",
                                 "Растягивание ячейки по вертикали");
    list.rowspansub =
        MakeAction(owner, "rowspansub", "Сжать ячейку по вертикали", "Сжатие ячейки по вертикали");
    const QList<QAction*> all = list.All();
    for (int i = 0; i < all.size(); ++i)
        all[i]->setIcon(DrawTableIcon(i));
    return list;
}

QList<QAction*> TActionListTable::All() const {
    return {Table,      PropertyCell, InsertRow,  DeleteRow,  InsertCell,
            DeleteCell, colspanadd,   colspansub, rowspanadd, rowspansub};
}

void TActionListTable::Apply(const TTableOffer& offer) const {
    Table->setEnabled(offer.Table);
    PropertyCell->setEnabled(offer.PropertyCell);
    InsertRow->setEnabled(offer.InsertRow);
    DeleteRow->setEnabled(offer.DeleteRow);
    InsertCell->setEnabled(offer.InsertCell);
    DeleteCell->setEnabled(offer.DeleteCell);
    colspanadd->setEnabled(offer.colspanadd);
    colspansub->setEnabled(offer.colspansub);
    rowspanadd->setEnabled(offer.rowspanadd);
    rowspansub->setEnabled(offer.rowspansub);
}

} // namespace quillery
