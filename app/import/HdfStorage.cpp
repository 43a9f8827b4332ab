#include "HdfStorage.h"

#include <hdf5.h>

#include <algorithm>
#include <vector>

namespace {

// An HDF5 identifier, closed by the function that belongs to its kind.
class HdfId {
public:
    HdfId(hid_t id, herr_t (*close)(hid_t)) : id(id), close(close) {}
    HdfId(const HdfId&) = delete;
    HdfId& operator=(const HdfId&) = delete;
    ~HdfId() {
        if (id >= 0)
            close(id);
    }
    operator hid_t() const { return id; }
    bool valid() const { return id >= 0; }

private:
    hid_t id;
    herr_t (*close)(hid_t);
};

// netCDF-4 names the dataset of a variable that shares its name with a
// dimension but is not its coordinate with this prefix.
const char* const NON_COORDINATE = "_nc4_non_coord_";

struct Chunks {
    uint64_t stored = 0, needed = 0, values = 0;  // values: in one chunk
    bool chunked = false;
    uint64_t bytes = 0;  // storage allocated, for unchunked datasets
    uint64_t size = 0;   // values of the whole dataset
};

bool inquire(hid_t file, const std::string& variable, Chunks& chunks) {
    hid_t id = H5Lexists(file, variable.c_str(), H5P_DEFAULT) > 0
                   ? H5Dopen2(file, variable.c_str(), H5P_DEFAULT)
                   : H5Dopen2(file, (NON_COORDINATE + variable).c_str(), H5P_DEFAULT);
    HdfId dataset(id, H5Dclose);
    if (!dataset.valid())
        return false;
    HdfId space(H5Dget_space(dataset), H5Sclose);
    HdfId creation(H5Dget_create_plist(dataset), H5Pclose);
    if (!space.valid() || !creation.valid())
        return false;
    int rank = H5Sget_simple_extent_ndims(space);
    if (rank < 0)
        return false;
    std::vector<hsize_t> dimensions(static_cast<size_t>(rank)), chunk(static_cast<size_t>(rank));
    H5Sget_simple_extent_dims(space, dimensions.data(), nullptr);
    chunks.size = 1;
    for (hsize_t d : dimensions)
        chunks.size *= d;
    chunks.chunked = H5Pget_layout(creation) == H5D_CHUNKED;
    if (!chunks.chunked) {
        chunks.bytes = H5Dget_storage_size(dataset);
        return true;
    }
    hsize_t stored = 0;
    if (H5Pget_chunk(creation, rank, chunk.data()) != rank || H5Dget_num_chunks(dataset, space, &stored) < 0)
        return false;
    chunks.stored = stored;
    chunks.needed = 1;
    chunks.values = 1;
    for (size_t i = 0; i < dimensions.size(); ++i) {
        if (chunk[i] == 0)
            return false;
        chunks.needed *= (dimensions[i] + chunk[i] - 1) / chunk[i];
        chunks.values *= chunk[i];
    }
    return true;
}

}  // namespace

HdfStorage::HdfStorage(const std::string& utf8Path) {
    // The same close degree as netCDF-C's, which holds the file open too.
    HdfId access(H5Pcreate(H5P_FILE_ACCESS), H5Pclose);
    if (!access.valid() || H5Pset_fclose_degree(access, H5F_CLOSE_WEAK) < 0)
        return;
    file = H5Fopen(utf8Path.c_str(), H5F_ACC_RDONLY, access);
}

HdfStorage::~HdfStorage() {
    if (file >= 0)
        H5Fclose(file);
}

Storage HdfStorage::of(const std::string& variable) const {
    Chunks chunks;
    if (file < 0 || !inquire(file, variable, chunks) || chunks.size == 0)
        return Storage::Complete;
    if (!chunks.chunked)
        return chunks.bytes == 0 ? Storage::None : Storage::Complete;
    return chunks.stored == 0 ? Storage::None : chunks.stored < chunks.needed ? Storage::Partial : Storage::Complete;
}

uint64_t HdfStorage::storedValues(const std::string& variable) const {
    Chunks chunks;
    if (file < 0 || !inquire(file, variable, chunks))
        return 0;
    if (!chunks.chunked)
        return chunks.bytes == 0 ? 0 : chunks.size;
    return std::min(chunks.size, chunks.stored * chunks.values);
}
