// The small pictures of the message windows, drawn in code: the list's tag,
// not-viewed and urgent marks, and the kind pictures (phone message, memo,
// e-mail).
#pragma once

#include <QPixmap>
#include <cstdint>

enum class MarkPicture { kTag = 0, kNotViewed = 1, kUrgent = 2 };

QPixmap MarkPixmap(MarkPicture picture);
// 16 by 16 for the list's "Type" column, or larger for a view's kind picture.
QPixmap KindPixmap(uint8_t kind, int width = 16, int height = 16);
