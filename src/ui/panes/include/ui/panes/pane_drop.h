#pragma once
// Loading a pane from a file dragged onto it from the desktop: one local
// file at a time, by the road of the Load button and with its errors.

class QMimeData;
class QString;

namespace quill {

class ErrorRoute;
class TextPane;

// Lets the pane take a dropped file. The load runs as a command, its errors
// going to errors, once the drop is over, so that the program the file came
// from is not kept waiting while an error box is up.
void acceptFileDrops(TextPane& pane, ErrorRoute& errors);

// The one local file a drag carries; empty when it carries several, a web
// address or anything else.
QString droppedFile(const QMimeData* data);

}  // namespace quill
