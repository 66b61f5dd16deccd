// libzip, loaded when a sigrok session is first read or written: linked, it and the compression and
// crypto libraries it needs would be loaded by every start of every program, about 2 ms each time,
// although only sigrok sessions use them. Include this instead of <zip.h>: each zip_ function used
// here is called through the table of the loaded library, under its own name.
// Depends on libzip's header and the dynamic loader.
#pragma once

#include <QString>
#include <zip.h>

#define VARNILOG_ZIP_FUNCTIONS(X)                                                                            \
    X(zip_close)                                                                                             \
    X(zip_delete)                                                                                            \
    X(zip_discard)                                                                                           \
    X(zip_error_code_zip)                                                                                    \
    X(zip_error_fini)                                                                                        \
    X(zip_error_init)                                                                                        \
    X(zip_error_set)                                                                                         \
    X(zip_error_strerror)                                                                                    \
    X(zip_error_to_data)                                                                                     \
    X(zip_fclose)                                                                                            \
    X(zip_file_add)                                                                                          \
    X(zip_file_get_error)                                                                                    \
    X(zip_fopen)                                                                                             \
    X(zip_fopen_index)                                                                                       \
    X(zip_fread)                                                                                             \
    X(zip_get_error)                                                                                         \
    X(zip_get_name)                                                                                          \
    X(zip_get_num_entries)                                                                                   \
    X(zip_name_locate)                                                                                       \
    X(zip_open)                                                                                              \
    X(zip_open_from_source)                                                                                  \
    X(zip_set_file_compression)                                                                              \
    X(zip_source_buffer)                                                                                     \
    X(zip_source_free)                                                                                       \
    X(zip_source_function)                                                                                   \
    X(zip_source_function_create)                                                                            \
    X(zip_source_make_command_bitmap)                                                                        \
    X(zip_source_seek_compute_offset)                                                                        \
    X(zip_stat)                                                                                              \
    X(zip_stat_index)                                                                                        \
    X(zip_stat_init)

namespace varnilog {

struct ZipLibrary {
#define VARNILOG_ZIP_POINTER(name) decltype(&::name) name = nullptr;
    VARNILOG_ZIP_FUNCTIONS(VARNILOG_ZIP_POINTER)
#undef VARNILOG_ZIP_POINTER
};

// Loads libzip once; true when it and every function above are there, otherwise false with the reason
// in error. The sessions' entry points ask first, so no call goes through a missing function.
bool zipLibraryLoaded(QString& error);

// The loaded library's functions (all null when it could not be loaded).
const ZipLibrary& zipLibrary();

} // namespace varnilog

#define VARNILOG_ZIP_CALL(name) ::varnilog::zipLibrary().name
#define zip_close(...) VARNILOG_ZIP_CALL(zip_close)(__VA_ARGS__)
#define zip_delete(...) VARNILOG_ZIP_CALL(zip_delete)(__VA_ARGS__)
#define zip_discard(...) VARNILOG_ZIP_CALL(zip_discard)(__VA_ARGS__)
#define zip_error_code_zip(...) VARNILOG_ZIP_CALL(zip_error_code_zip)(__VA_ARGS__)
#define zip_error_fini(...) VARNILOG_ZIP_CALL(zip_error_fini)(__VA_ARGS__)
#define zip_error_init(...) VARNILOG_ZIP_CALL(zip_error_init)(__VA_ARGS__)
#define zip_error_set(...) VARNILOG_ZIP_CALL(zip_error_set)(__VA_ARGS__)
#define zip_error_strerror(...) VARNILOG_ZIP_CALL(zip_error_strerror)(__VA_ARGS__)
#define zip_error_to_data(...) VARNILOG_ZIP_CALL(zip_error_to_data)(__VA_ARGS__)
#define zip_fclose(...) VARNILOG_ZIP_CALL(zip_fclose)(__VA_ARGS__)
#define zip_file_add(...) VARNILOG_ZIP_CALL(zip_file_add)(__VA_ARGS__)
#define zip_file_get_error(...) VARNILOG_ZIP_CALL(zip_file_get_error)(__VA_ARGS__)
#define zip_fopen(...) VARNILOG_ZIP_CALL(zip_fopen)(__VA_ARGS__)
#define zip_fopen_index(...) VARNILOG_ZIP_CALL(zip_fopen_index)(__VA_ARGS__)
#define zip_fread(...) VARNILOG_ZIP_CALL(zip_fread)(__VA_ARGS__)
#define zip_get_error(...) VARNILOG_ZIP_CALL(zip_get_error)(__VA_ARGS__)
#define zip_get_name(...) VARNILOG_ZIP_CALL(zip_get_name)(__VA_ARGS__)
#define zip_get_num_entries(...) VARNILOG_ZIP_CALL(zip_get_num_entries)(__VA_ARGS__)
#define zip_name_locate(...) VARNILOG_ZIP_CALL(zip_name_locate)(__VA_ARGS__)
#define zip_open(...) VARNILOG_ZIP_CALL(zip_open)(__VA_ARGS__)
#define zip_open_from_source(...) VARNILOG_ZIP_CALL(zip_open_from_source)(__VA_ARGS__)
#define zip_set_file_compression(...) VARNILOG_ZIP_CALL(zip_set_file_compression)(__VA_ARGS__)
#define zip_source_buffer(...) VARNILOG_ZIP_CALL(zip_source_buffer)(__VA_ARGS__)
#define zip_source_free(...) VARNILOG_ZIP_CALL(zip_source_free)(__VA_ARGS__)
#define zip_source_function(...) VARNILOG_ZIP_CALL(zip_source_function)(__VA_ARGS__)
#define zip_source_function_create(...) VARNILOG_ZIP_CALL(zip_source_function_create)(__VA_ARGS__)
#define zip_source_make_command_bitmap(...) VARNILOG_ZIP_CALL(zip_source_make_command_bitmap)(__VA_ARGS__)
#define zip_source_seek_compute_offset(...) VARNILOG_ZIP_CALL(zip_source_seek_compute_offset)(__VA_ARGS__)
#define zip_stat(...) VARNILOG_ZIP_CALL(zip_stat)(__VA_ARGS__)
#define zip_stat_index(...) VARNILOG_ZIP_CALL(zip_stat_index)(__VA_ARGS__)
#define zip_stat_init(...) VARNILOG_ZIP_CALL(zip_stat_init)(__VA_ARGS__)
