#include "shell/format_actions.h"

#include "shell/edit_actions.h"

namespace quillery {
namespace {

QKeySequence Ctrl(Qt::Key key) {
    return QKeySequence(Qt::CTRL | key);
}

} // namespace

TFormatActions TFormatActions::Create(QObject* owner) {
    TFormatActions list{};
    list.BackColor =
        MakeAction(owner, "BackColor", "Цвет выделения текста",
                   "Текст будет выглядеть так, как если бы он был закрашен фломастером ");
    list.JustifyLeft = MakeAction(owner, "JustifyLeft", "По левому краю",
                                  "Выравнивание текста по левому краю", Ctrl(Qt::Key_L));
    list.JustifyCenter = MakeAction(owner, "JustifyCenter", "По центру",
                                    "Выравнивание текста по центру", Ctrl(Qt::Key_E));
    list.JustifyRight = MakeAction(owner, "JustifyRight", "По правому краю",
                                   "Выравнивание текста по правому краю", Ctrl(Qt::Key_R));
    list.JustifyFull = MakeAction(owner, "JustifyFull", "По ширине", "Выравнивание текста по ширин",
                                  Ctrl(Qt::Key_J));
    list.InsertOrderedList =
        MakeAction(owner, "InsertOrderedList", "Нумерация", "Начало нумерованного списка");
    list.InsertUnorderedList =
        MakeAction(owner, "InsertUnorderedList", "Маркеры", "Начало маркированного списка");
    list.Outdent =
        MakeAction(owner, "Outdent", "Уменьшить отступ", "Уменьшение уровня отступа абзаца");
    list.Indent =
        MakeAction(owner, "Indent", "Увеличить отступ", "Увеличение уровня отступа абзаца");
    list.clearfrmt = MakeAction(owner, "clearfrmt", "Очистить формат",
                                "Удаление любого форматирования из выделенного фрагмента");
    list.Cut =
        MakeAction(owner, "Cut", "Вырезать",
                   "Удаление выделенного фрагмента из документа в буфер обмена", Ctrl(Qt::Key_X));
    list.Copy = MakeAction(owner, "Copy", "Копировать",
                           "Копирование выделенного фрагмента из документа в буфер обмена",
                           Ctrl(Qt::Key_C));
    list.Paste = MakeAction(owner, "Paste", "Вставить", "Вставка содержимого буфера обмена",
                            Ctrl(Qt::Key_V));
    list.hr = MakeAction(owner, "hr", "Вставить разделитель", "Вставка разделителя");
    list.Font = MakeAction(owner, "Font", "Шрифт", "Изменение шрифта");
    list.Style = MakeAction(owner, "Style", "Стиль", "Изменение стиля");
    list.HTML = MakeAction(owner, "HTML", "Исходный код", "");
    return list;
}

QList<QAction*> TFormatActions::All() const {
    return {BackColor,
            JustifyLeft,
            JustifyCenter,
            JustifyRight,
            JustifyFull,
            InsertOrderedList,
            InsertUnorderedList,
            Outdent,
            Indent,
            clearfrmt,
            Cut,
            Copy,
            Paste,
            hr,
            Font,
            Style,
            HTML};
}

} // namespace quillery
