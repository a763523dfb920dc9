#pragma once

// A zip made in memory for the KMZ tests: entries in order, each name with its content.

#include <zip.h>

#include <string>
#include <utility>
#include <vector>

namespace tackedit::fixtures {

inline std::string Zip(const std::vector<std::pair<std::string, std::string>>& entries)
{
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* buffer = zip_source_buffer_create(nullptr, 0, 0, &error);
    zip_source_keep(buffer);
    zip_t* archive = zip_open_from_source(buffer, ZIP_TRUNCATE, &error);
    for (const auto& [name, content] : entries)
        zip_file_add(archive, name.c_str(), zip_source_buffer(archive, content.data(), content.size(), 0), 0);
    zip_close(archive);
    zip_stat_t stat;
    zip_source_stat(buffer, &stat);
    std::string bytes(stat.size, '\0');
    zip_source_open(buffer);
    zip_source_read(buffer, bytes.data(), stat.size);
    zip_source_close(buffer);
    zip_source_free(buffer);
    return bytes;
}

} // namespace tackedit::fixtures
