#pragma once
// Small pictures of the chart window's toolbar buttons and its zoom cursor,
// drawn at run time so the program needs no image files.
#include <QCursor>
#include <QIcon>

namespace vistrel {

enum class Glyph {
  AddDel, Export, Print, Options, Colours, Titles, Grid, Zoom, Trace,
  OneScreen, Pages, FirstPage, PreviousPage, NextPage, LastPage,
};

QIcon GlyphIcon(Glyph g);

// The magnifier cursor of zoom mode; hot spot at the lens centre.
QCursor ZoomCursor();

}  // namespace vistrel
