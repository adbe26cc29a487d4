#include "wgt/zip_archive.h"

#include <zip.h>

#include <memory>
#include <stdexcept>

namespace wgt {

namespace {

// No entry of a widget comes near this; it bounds what a hostile archive can make us allocate.
constexpr zip_uint64_t kMaxEntrySize = 64u << 20;

// 2020-01-01 00:00:00 in MS-DOS date and time.
constexpr zip_uint16_t kDosDate = ((2020 - 1980) << 9) | (1 << 5) | 1;
constexpr zip_uint16_t kDosTime = 0;

struct ZipCloser {
    void operator()(zip_t* z) const { zip_discard(z); }
};
using ZipPtr = std::unique_ptr<zip_t, ZipCloser>;

struct FileCloser {
    void operator()(zip_file_t* f) const { zip_fclose(f); }
};

std::string zipError(zip_t* z) {
    return zip_strerror(z);
}

} // namespace

ZipContents readZip(const std::string& bytes) {
    zip_error_t error;
    zip_error_init(&error);
    zip_source_t* src = zip_source_buffer_create(bytes.data(), bytes.size(), 0, &error);
    if (!src) {
        std::string msg = zip_error_strerror(&error);
        zip_error_fini(&error);
        throw std::runtime_error("cannot read the archive: " + msg);
    }
    ZipPtr z(zip_open_from_source(src, ZIP_CHECKCONS | ZIP_RDONLY, &error));
    if (!z) {
        zip_source_free(src);
        std::string msg = zip_error_strerror(&error);
        zip_error_fini(&error);
        throw std::runtime_error("not a valid ZIP archive: " + msg);
    }
    zip_error_fini(&error);

    ZipContents out;
    int commentLength = 0;
    out.hasComment = zip_get_archive_comment(z.get(), &commentLength, ZIP_FL_ENC_RAW) && commentLength > 0;

    zip_int64_t count = zip_get_num_entries(z.get(), 0);
    for (zip_int64_t i = 0; i < count; ++i) {
        zip_stat_t st;
        zip_stat_init(&st);
        if (zip_stat_index(z.get(), i, ZIP_FL_ENC_RAW, &st) != 0) throw std::runtime_error(zipError(z.get()));
        const unsigned need =
            ZIP_STAT_NAME | ZIP_STAT_SIZE | ZIP_STAT_COMP_METHOD | ZIP_STAT_ENCRYPTION_METHOD;
        if ((st.valid & need) != need)
            throw std::runtime_error("entry " + std::to_string(i) + " is incomplete");
        ZipEntry entry;
        entry.name = st.name;
        entry.deflated = st.comp_method == ZIP_CM_DEFLATE;
        if (st.encryption_method != ZIP_EM_NONE)
            throw std::runtime_error("entry \"" + entry.name + "\" is encrypted");
        if (st.size > kMaxEntrySize) throw std::runtime_error("entry \"" + entry.name + "\" is too large");
        std::unique_ptr<zip_file_t, FileCloser> f(zip_fopen_index(z.get(), i, 0));
        if (!f) throw std::runtime_error("cannot open entry \"" + entry.name + "\": " + zipError(z.get()));
        entry.data.resize(st.size);
        zip_int64_t got = entry.data.empty() ? 0 : zip_fread(f.get(), entry.data.data(), st.size);
        // One more read sees the end of the data, where libzip checks the CRC.
        char extra;
        if (got != zip_int64_t(st.size) || zip_fread(f.get(), &extra, 1) != 0)
            throw std::runtime_error("entry \"" + entry.name +
                                     "\" is damaged: " + zip_file_strerror(f.get()));
        out.entries.push_back(std::move(entry));
    }
    return out;
}

void writeZip(const std::string& path, const std::vector<ZipEntry>& entries) {
    int errorCode = 0;
    ZipPtr z(zip_open(path.c_str(), ZIP_CREATE | ZIP_TRUNCATE, &errorCode));
    if (!z) {
        zip_error_t error;
        zip_error_init_with_code(&error, errorCode);
        std::string msg = zip_error_strerror(&error);
        zip_error_fini(&error);
        throw std::runtime_error("cannot create \"" + path + "\": " + msg);
    }
    for (const ZipEntry& e : entries) {
        bool folder = !e.name.empty() && e.name.back() == '/';
        zip_source_t* src = zip_source_buffer(z.get(), e.data.data(), e.data.size(), 0);
        if (!src) throw std::runtime_error(zipError(z.get()));
        zip_int64_t index = zip_file_add(z.get(), e.name.c_str(), src, ZIP_FL_ENC_UTF_8);
        if (index < 0) {
            zip_source_free(src);
            throw std::runtime_error("cannot add \"" + e.name + "\": " + zipError(z.get()));
        }
        const zip_uint32_t mode = folder ? 040755u : 0100644u;
        const zip_uint32_t dosFolder = folder ? 0x10u : 0u;
        if (zip_set_file_compression(z.get(), index, e.deflated ? ZIP_CM_DEFLATE : ZIP_CM_STORE,
                                     e.deflated ? 9 : 0) != 0 ||
            zip_file_set_dostime(z.get(), index, kDosTime, kDosDate, 0) != 0 ||
            zip_file_set_external_attributes(z.get(), index, 0, ZIP_OPSYS_UNIX, (mode << 16) | dosFolder) !=
                0)
            throw std::runtime_error("cannot set up \"" + e.name + "\": " + zipError(z.get()));
    }
    if (zip_close(z.get()) != 0)
        throw std::runtime_error("cannot write \"" + path + "\": " + zipError(z.get()));
    (void)z.release();
}

} // namespace wgt
