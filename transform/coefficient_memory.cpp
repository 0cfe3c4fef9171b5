#include "transform/coefficient_memory.h"

#include <unistd.h>

#include <climits>
#include <cstdint>
#include <cstdlib>

#include <jerror.h>

#include "transform/memory_budget.h"
#include "transform/zeroed_mapping.h"

namespace {

// Our messages, in the error manager's add-on table; an application that has a table of its
// own keeps it, and then sees libjpeg's plain out-of-memory message instead.
enum MemoryMessage { kNeedsMoreThanAllowed = 1000, kCancelledWhileWaiting, kSystemGaveNoMemory };
const char* const kMemoryMessages[] = {
    "The picture needs %d MB for its coefficients, more than the %d MB this machine allows",
    "Cancelled while waiting for memory",
    "The system has no %d MB left for the picture's coefficients",
};

// What libjpeg holds as a jvirt_barray_ptr of ours.
struct OwnedArray {
    JBLOCKARRAY rows;  // null until realized
    JDIMENSION rowCount;
    JDIMENSION blocksPerRow;
    JDIMENSION maxAccess;
    JDIMENSION firstUndefinedRow;  // rows from here on were never handed out for writing
    bool preZero;
    OwnedArray* next;
};

struct MappingRecord {
    ZeroedMapping mapping;
    MappingRecord* next;
};

using AccessMethod = JBLOCKARRAY (*)(j_common_ptr, jvirt_barray_ptr, JDIMENSION, JDIMENSION, boolean);

// Lives in the decompression object's permanent pool; both objects' client_data point here.
struct MemoryState {
    CoefficientMemory* memory;
    std::size_t limit;
    jpeg_memory_mgr library;    // the decompression object's own methods, for everything not ours
    AccessMethod writerAccess;  // the compression object's own access method
    OwnedArray* arrays;         // requested in the image pool
    MappingRecord* mappings;    // one per realization, in the image pool
    std::size_t heldBytes;      // coefficient bytes realized in the image pool
    std::size_t reservedBytes;  // of those, the bytes taken from the budget
};

MemoryState* stateOf(j_common_ptr cinfo) { return static_cast<MemoryState*>(cinfo->client_data); }

OwnedArray* ownedArray(const MemoryState* state, jvirt_barray_ptr handle) {
    for (OwnedArray* array = state->arrays; array; array = array->next)
        if (reinterpret_cast<jvirt_barray_ptr>(array) == handle) return array;
    return nullptr;
}

int megabytesUp(std::size_t bytes) {
    std::size_t mb = bytes / 1000000 + (bytes % 1000000 != 0);
    return mb > INT_MAX ? INT_MAX : static_cast<int>(mb);
}

int megabytesDown(std::size_t bytes) {
    std::size_t mb = bytes / 1000000;
    return mb > INT_MAX ? INT_MAX : static_cast<int>(mb);
}

bool usesOurMessages(j_common_ptr cinfo) { return cinfo->err->addon_message_table == kMemoryMessages; }

[[noreturn]] void refuse(j_common_ptr cinfo, MemoryMessage message, int first, int second = 0) {
    cinfo->err->msg_code = usesOurMessages(cinfo) ? static_cast<int>(message) : static_cast<int>(JERR_OUT_OF_MEMORY);
    cinfo->err->msg_parm.i[0] = first;
    cinfo->err->msg_parm.i[1] = second;
    (*cinfo->err->error_exit)(cinfo);
    std::abort();  // error_exit does not return
}

// Unmaps what the image pool held and gives its bytes back to the budget.
void releaseImageMemory(MemoryState* state) {
    for (MappingRecord* record = state->mappings; record; record = record->next) unmapZeroedMemory(record->mapping);
    if (state->reservedBytes && state->memory->budget) state->memory->budget->release(state->reservedBytes);
    state->mappings = nullptr;
    state->arrays = nullptr;
    state->heldBytes = state->reservedBytes = 0;
}

jvirt_barray_ptr requestArray(j_common_ptr cinfo, int pool, boolean preZero, JDIMENSION blocksPerRow,
                              JDIMENSION rowCount, JDIMENSION maxAccess) {
    MemoryState* state = stateOf(cinfo);
    if (pool != JPOOL_IMAGE)
        return (*state->library.request_virt_barray)(cinfo, pool, preZero, blocksPerRow, rowCount, maxAccess);
    auto* array = static_cast<OwnedArray*>((*cinfo->mem->alloc_small)(cinfo, JPOOL_IMAGE, sizeof(OwnedArray)));
    *array = {nullptr, rowCount, blocksPerRow, maxAccess, 0, preZero != FALSE, state->arrays};
    state->arrays = array;
    return reinterpret_cast<jvirt_barray_ptr>(array);
}

// The count, block bytes and row pointer bytes of the arrays not realized yet; false on overflow.
bool pendingSizes(const MemoryState* state, std::size_t* count, std::size_t* blockBytes, std::size_t* pointerBytes) {
    *count = *blockBytes = *pointerBytes = 0;
    for (const OwnedArray* array = state->arrays; array; array = array->next) {
        if (array->rows) continue;
        ++*count;
        std::size_t blocks = 0;
        if (__builtin_mul_overflow(std::size_t{array->rowCount}, std::size_t{array->blocksPerRow}, &blocks) ||
            __builtin_mul_overflow(blocks, sizeof(JBLOCK), &blocks) ||
            __builtin_add_overflow(*blockBytes, blocks, blockBytes) ||
            __builtin_add_overflow(*pointerBytes, array->rowCount * sizeof(JBLOCKROW), pointerBytes))
            return false;
    }
    return true;
}

// The row pointers of every pending array first, then their blocks, row after row.
void layOutArrays(MemoryState* state, unsigned char* start, std::size_t pointerBytes) {
    auto* pointers = reinterpret_cast<JBLOCKROW*>(start);
    auto* blocks =
        reinterpret_cast<JBLOCKROW>(start + (pointerBytes + sizeof(JBLOCK) - 1) / sizeof(JBLOCK) * sizeof(JBLOCK));
    for (OwnedArray* array = state->arrays; array; array = array->next) {
        if (array->rows) continue;
        array->rows = pointers;
        for (JDIMENSION row = 0; row < array->rowCount; ++row, blocks += array->blocksPerRow) pointers[row] = blocks;
        pointers += array->rowCount;
        array->firstUndefinedRow = 0;
    }
}

void realizeArrays(j_common_ptr cinfo) {
    MemoryState* state = stateOf(cinfo);
    (*state->library.realize_virt_arrays)(cinfo);
    std::size_t pending = 0, blockBytes = 0, pointerBytes = 0, needed = 0, mapped = 0;
    bool sizable = pendingSizes(state, &pending, &blockBytes, &pointerBytes) &&
                   !__builtin_add_overflow(state->heldBytes, blockBytes, &needed) &&
                   !__builtin_add_overflow(pointerBytes + sizeof(JBLOCK), blockBytes, &mapped);
    if (sizable && pending == 0) return;
    CoefficientMemory* memory = state->memory;
    memory->neededBytes = sizable ? needed : SIZE_MAX;
    if (!sizable || needed > state->limit) {
        memory->refused = true;
        refuse(cinfo, kNeedsMoreThanAllowed, megabytesUp(memory->neededBytes), megabytesDown(state->limit));
    }
    if (memory->budget) {
        if (!memory->budget->reserve(blockBytes)) refuse(cinfo, kCancelledWhileWaiting, 0);
        state->reservedBytes += blockBytes;
    }
    // The record comes first: once memory is mapped, nothing may fail before it is recorded.
    auto* record = static_cast<MappingRecord*>((*cinfo->mem->alloc_small)(cinfo, JPOOL_IMAGE, sizeof(MappingRecord)));
    record->mapping = mapZeroedMemory(mapped, memory->hugePages);
    record->next = state->mappings;
    state->mappings = record;
    if (!record->mapping.start) refuse(cinfo, kSystemGaveNoMemory, megabytesUp(blockBytes));
    layOutArrays(state, record->mapping.start, pointerBytes);
    state->heldBytes = needed;
}

// libjpeg's rules: the rows lie within the array and within the most it may hand out at once,
// a writer never skips rows, and a reader sees only written rows unless the array started
// zeroed. Ours start zeroed by the kernel, so nothing is cleared here.
JBLOCKARRAY accessArray(j_common_ptr cinfo, jvirt_barray_ptr handle, JDIMENSION start, JDIMENSION count,
                        boolean writable) {
    MemoryState* state = stateOf(cinfo);
    OwnedArray* array = ownedArray(state, handle);
    if (!array) {
        AccessMethod own = cinfo->is_decompressor ? state->library.access_virt_barray : state->writerAccess;
        return (*own)(cinfo, handle, start, count, writable);
    }
    if (!array->rows || count > array->maxAccess || start > array->rowCount || count > array->rowCount - start)
        ERREXIT(cinfo, JERR_BAD_VIRTUAL_ACCESS);
    JDIMENSION end = start + count;
    if (array->firstUndefinedRow < end) {
        if (writable && array->firstUndefinedRow < start) ERREXIT(cinfo, JERR_BAD_VIRTUAL_ACCESS);
        if (!writable && !array->preZero) ERREXIT(cinfo, JERR_BAD_VIRTUAL_ACCESS);
        if (writable) array->firstUndefinedRow = end;
    }
    return array->rows + start;
}

void freePool(j_common_ptr cinfo, int pool) {
    MemoryState* state = stateOf(cinfo);
    if (pool == JPOOL_IMAGE) releaseImageMemory(state);
    (*state->library.free_pool)(cinfo, pool);
}

void selfDestruct(j_common_ptr cinfo) {
    MemoryState* state = stateOf(cinfo);
    releaseImageMemory(state);
    auto destruct = state->library.self_destruct;  // the state itself goes with the pools
    cinfo->client_data = nullptr;
    (*destruct)(cinfo);
}

long asMemoryLimit(std::size_t limit) {
    return limit > static_cast<std::size_t>(LONG_MAX) ? LONG_MAX : static_cast<long>(limit);
}

}  // namespace

void useCoefficientMemory(j_decompress_ptr src, j_compress_ptr dst, CoefficientMemory* memory) {
    if (!memory) return;
    auto* common = reinterpret_cast<j_common_ptr>(src);
    auto* state = static_cast<MemoryState*>((*src->mem->alloc_small)(common, JPOOL_PERMANENT, sizeof(MemoryState)));
    *state = {
        memory, memory->limit ? memory->limit : machineCoefficientLimit(), *src->mem, nullptr, nullptr, nullptr, 0, 0};
    memory->neededBytes = 0;
    memory->refused = false;

    jpeg_memory_mgr* methods = src->mem;
    methods->request_virt_barray = requestArray;
    methods->realize_virt_arrays = realizeArrays;
    methods->access_virt_barray = accessArray;
    methods->free_pool = freePool;
    methods->self_destruct = selfDestruct;
    methods->max_memory_to_use = asMemoryLimit(state->limit);
    src->client_data = state;
    if (!src->err->addon_message_table) {
        src->err->addon_message_table = kMemoryMessages;
        src->err->first_addon_message = kNeedsMoreThanAllowed;
        src->err->last_addon_message = kSystemGaveNoMemory;
    }
    if (dst) {
        state->writerAccess = dst->mem->access_virt_barray;
        dst->mem->access_virt_barray = accessArray;
        dst->mem->max_memory_to_use = methods->max_memory_to_use;
        dst->client_data = state;
    }
}

std::size_t machineCoefficientLimit() {
    long pages = ::sysconf(_SC_PHYS_PAGES), pageSize = ::sysconf(_SC_PAGESIZE);
    if (pages <= 0 || pageSize <= 0) return std::size_t{1} << 30;  // unknown: a size any machine of today has
    std::size_t physical = 0;
    if (__builtin_mul_overflow(static_cast<std::size_t>(pages), static_cast<std::size_t>(pageSize), &physical))
        return SIZE_MAX / 2;
    return physical / 2;
}
