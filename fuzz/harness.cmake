# The harness code shared by the fuzz targets and by the test that replays
# their saved inputs (tests/storage/hostile_files_test.cpp). It compiles with
# any compiler; only the fuzz targets need clang. dpadmin's check and reindex
# are compiled in because the check target runs them.
set(DESKPOST_HARNESS_SOURCES
  ${CMAKE_SOURCE_DIR}/fuzz/harness_support.cpp
  ${CMAKE_SOURCE_DIR}/fuzz/harness_index.cpp
  ${CMAKE_SOURCE_DIR}/fuzz/harness_records.cpp
  ${CMAKE_SOURCE_DIR}/fuzz/harness_check.cpp
  ${CMAKE_SOURCE_DIR}/fuzz/harness_template.cpp
  ${CMAKE_SOURCE_DIR}/printing/metafile/metafile_reader.cpp
  ${CMAKE_SOURCE_DIR}/printing/metafile/template_layout.cpp
  ${CMAKE_SOURCE_DIR}/fuzz/harness_ics.cpp
  ${CMAKE_SOURCE_DIR}/fuzz/harness_vcard.cpp
  ${CMAKE_SOURCE_DIR}/tools/admin_check.cpp
  ${CMAKE_SOURCE_DIR}/tools/admin_common.cpp
  ${CMAKE_SOURCE_DIR}/tools/admin_reindex.cpp
  ${CMAKE_SOURCE_DIR}/tools/index_walk.cpp
  ${CMAKE_SOURCE_DIR}/tools/record_format.cpp
  ${CMAKE_SOURCE_DIR}/tools/record_scan.cpp
)
