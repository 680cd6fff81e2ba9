// Table-driven Qt tests from a plain array of rows: the _data() function
// calls AddRows(kRows), each row named by its first member `name`, and the
// test reads its row with TestRow(kRows), so a row is one line of the table.
#pragma once

#include <QTest>
#include <cstddef>

template <typename Row, size_t N>
void AddRows(const Row (&rows)[N]) {
  QTest::addColumn<int>("row");
  for (size_t i = 0; i < N; ++i) QTest::newRow(rows[i].name) << int(i);
}

template <typename Row, size_t N>
const Row& TestRow(const Row (&rows)[N]) {
  QFETCH(int, row);
  return rows[row];
}
