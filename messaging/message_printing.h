// Printing messages from the message lists, their view windows and the
// main window's Print menu: the rows' messages as slips under the heading
// of the list's view, on the printer of the run.
#pragma once

#include <QWidget>
#include <vector>

#include "messaging/list_request.h"
#include "printing/message_print.h"

// The heading a list's messages print under: its view (a search, New, a
// folder, the archive; the send log's New or archive) and whose they are.
MessageHeadingOf PrintHeadingOf(const ListRequest& request);

// Prints the messages on the printer of the run, then says what could not
// be read whole. False when nothing printed: a print already running, the
// print cancelled, or a failure (said).
bool PrintMessageRows(QWidget* owner, const ListRequest& request,
                      const std::vector<MessageRef>& messages);
