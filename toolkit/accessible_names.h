// Screen readers name a control by its label: every label of a window that
// has a buddy passes its text, without the "&" of its shortcut, to the
// buddy as the buddy's accessible name. Controls without a label get a
// plain name where they are made.
#pragma once

class QWidget;

void NameControlsByLabels(QWidget* window);
