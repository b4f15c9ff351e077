#pragma once

#include "editor/engine.h"

namespace quillery {

class THTMLSource;

// Shows the markup of the selection (of the selected object, own tag
// included) in the source view and puts the edited markup back in its place.
class THTMLCommand final {
public:
    THTMLCommand(Engine& engine, THTMLSource& htmlSource);
    Q_DISABLE_COPY_MOVE(THTMLCommand)

    void HTMLExecute();

private:
    Engine& m_engine;
    THTMLSource& m_htmlSource;
};

} // namespace quillery
