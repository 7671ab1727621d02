// Puts blocks on the Windows clipboard as other programs do: for the
// producer, the window contract and the driver alike.
#pragma once

#include <windows.h>
// windows.h first
#include <shlobj.h>

#include <cstring>
#include <string>
#include <string_view>

namespace vornic_test {

// Empties the clipboard, owned by `owner` (null: none), and fills it with
// put(); false if a step failed. Another program may hold it for a moment.
template <typename Put>
bool FillClipboard(HWND owner, Put put) {
  for (int attempt = 0; !OpenClipboard(owner); ++attempt) {
    if (attempt == 1000) return false;
    Sleep(10);
  }
  const bool filled = EmptyClipboard() && put();
  return CloseClipboard() && filled;
}

// A block of `size` bytes, written in place by fill(void*): it may be
// hundreds of megabytes.
template <typename Fill>
bool PutBlock(UINT format, std::size_t size, Fill fill) {
  HGLOBAL block = GlobalAlloc(GMEM_MOVEABLE, size);
  void* data = block == nullptr ? nullptr : GlobalLock(block);
  if (data == nullptr) return false;
  fill(data);
  GlobalUnlock(block);
  if (SetClipboardData(format, block) != nullptr) return true;
  GlobalFree(block);
  return false;
}

inline bool PutBytes(UINT format, const void* bytes, std::size_t size) {
  return PutBlock(format, size, [&](void* data) { std::memcpy(data, bytes, size); });
}
inline bool PutBytes(UINT format, std::string_view bytes) { return PutBytes(format, bytes.data(), bytes.size()); }

// Exactly these units: a terminating NUL only where they end with one.
inline bool PutUnits(std::wstring_view units) { return PutBytes(CF_UNICODETEXT, units.data(), 2 * units.size()); }
inline bool PutUnits(std::u16string_view units) { return PutBytes(CF_UNICODETEXT, units.data(), 2 * units.size()); }

inline bool PutBitmap() { return SetClipboardData(CF_BITMAP, CreateBitmap(4, 4, 1, 32, nullptr)) != nullptr; }

// Announced, to be rendered later: the result is null on success too.
inline bool Announce(UINT format) {
  SetClipboardData(format, nullptr);
  return true;
}

// CF_HDROP of these paths, given apart by NULs: each path ends with a NUL,
// and an empty one ends the list.
inline bool PutFiles(std::wstring_view paths) {
  std::wstring list{paths};
  list.append(2, L'\0');
  DROPFILES header{};
  header.pFiles = sizeof header;
  header.fWide = TRUE;
  std::string block(reinterpret_cast<const char*>(&header), sizeof header);
  block.append(reinterpret_cast<const char*>(list.data()), list.size() * sizeof(wchar_t));
  return PutBytes(CF_HDROP, block);
}

}  // namespace vornic_test
