// The test executables' operator new and delete: a freed block is filled with 0xDD and kept out
// of reuse for a while, so a use after free reads 0xDDDDDDDD (and faults on it as a pointer)
// instead of passing on stale data. A block written to while it waited is reported when it
// finally goes back to the heap.
#include <windows.h>

#include <cstddef>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <new>

namespace {
constexpr unsigned char Poison = 0xDD;
// At most this many freed blocks, and this many bytes of them, wait before they are reused.
constexpr size_t QuarantineBlocks = 4096;
constexpr size_t QuarantineBytes = 64u << 20;

// Put before every block: its size, padded so the block keeps the heap's alignment.
union Header {
    size_t Size;
    max_align_t Align;
};

struct Quarantine {
    void* Blocks[QuarantineBlocks];
    size_t Head;
    size_t Count;
    size_t Bytes;
};

Quarantine Waiting;
SRWLOCK Lock = SRWLOCK_INIT;

Header* HeaderOf(void* block)
{
    return static_cast<Header*>(block) - 1;
}

// Gives the oldest waiting block back to the heap, after checking nobody wrote to it.
void ReleaseOldest()
{
    Header* header = HeaderOf(Waiting.Blocks[Waiting.Head]);
    Waiting.Head = (Waiting.Head + 1) % QuarantineBlocks;
    --Waiting.Count;
    Waiting.Bytes -= header->Size;
    const auto* bytes = reinterpret_cast<const unsigned char*>(header + 1);
    for (size_t i = 0; i < header->Size; ++i) {
        if (bytes[i] != Poison) {
            std::fprintf(stderr, "freed block %p of %u bytes written at offset %u\n", static_cast<const void*>(bytes),
                         static_cast<unsigned>(header->Size), static_cast<unsigned>(i));
            std::fflush(stderr);
            std::abort();
        }
    }
    std::free(header);
}

void* Allocate(size_t size)
{
    auto* header = static_cast<Header*>(std::malloc(sizeof(Header) + size));
    if (header == nullptr)
        return nullptr;
    header->Size = size;
    return header + 1;
}

void Deallocate(void* block)
{
    if (block == nullptr)
        return;
    Header* header = HeaderOf(block);
    std::memset(block, Poison, header->Size);
    AcquireSRWLockExclusive(&Lock);
    while (Waiting.Count == QuarantineBlocks || (Waiting.Count > 0 && Waiting.Bytes + header->Size > QuarantineBytes))
        ReleaseOldest();
    if (header->Size > QuarantineBytes) {
        std::free(header);
    } else {
        Waiting.Blocks[(Waiting.Head + Waiting.Count) % QuarantineBlocks] = block;
        ++Waiting.Count;
        Waiting.Bytes += header->Size;
    }
    ReleaseSRWLockExclusive(&Lock);
}

void* AllocateOrThrow(size_t size)
{
    void* block = Allocate(size == 0 ? 1 : size);
    if (block == nullptr)
        throw std::bad_alloc();
    return block;
}
}  // namespace

void* operator new(size_t size)
{
    return AllocateOrThrow(size);
}

void* operator new[](size_t size)
{
    return AllocateOrThrow(size);
}

void* operator new(size_t size, const std::nothrow_t&) noexcept
{
    return Allocate(size == 0 ? 1 : size);
}

void* operator new[](size_t size, const std::nothrow_t&) noexcept
{
    return Allocate(size == 0 ? 1 : size);
}

void operator delete(void* block) noexcept
{
    Deallocate(block);
}

void operator delete[](void* block) noexcept
{
    Deallocate(block);
}

void operator delete(void* block, size_t) noexcept
{
    Deallocate(block);
}

void operator delete[](void* block, size_t) noexcept
{
    Deallocate(block);
}

void operator delete(void* block, const std::nothrow_t&) noexcept
{
    Deallocate(block);
}

void operator delete[](void* block, const std::nothrow_t&) noexcept
{
    Deallocate(block);
}
