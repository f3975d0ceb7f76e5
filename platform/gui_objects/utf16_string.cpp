#include "gui_objects/utf16_string.h"

#include <algorithm>
#include <memory>

#include "gui_objects/gui_objects.h"
#include "qx/element_class.h"
#include "ut/utf.h"

namespace gui_objects {

namespace {
struct UtFree {
    void operator()(void* p) const { utFree(p); }
};

// Units of row `row` of an m-by-n column-major char block.
UTF16String rowOf(const qxChar* chars, qxSize m, qxSize n, qxSize row)
{
    std::vector<UTF16String::CodeUnit> units(n);
    for (qxSize j = 0; j < n; ++j)
        units[j] = chars[j * m + row];
    return UTF16String(units.data(), n);
}

bool isCharRow(const qxArray* a)
{
    return a && qxGetClassID(a) == qxCHAR_CLASS && (qxIsEmpty(a) || qxGetM(a) == 1);
}
} // namespace

std::vector<UTF16String> createUTF16StringsFromArray(const qxArray* a)
{
    if (!a)
        throw NullArrayException();
    std::vector<UTF16String> strings;
    const qxClassID cls = qxGetClassID(a);
    qx::visitElementClass(cls, [&](auto e) {
        if constexpr (decltype(e)::id == qxCHAR_CLASS) {
            if (qxIsEmpty(a))
                return;
            qxSize m = qxGetM(a), n = qxGetN(a);
            const qxChar* chars = qxGetChars(a);
            std::vector<qxChar> nuls; // an array without data reads as NUL characters
            if (!chars) {
                nuls.assign(m * n, 0);
                chars = nuls.data();
            }
            if (m == 1) {
                strings.emplace_back(chars, n); // a row is contiguous
                return;
            }
            strings.reserve(m);
            for (qxSize i = 0; i < m; ++i)
                strings.push_back(rowOf(chars, m, n, i));
        } else if constexpr (decltype(e)::id == qxCELL_CLASS) {
            qxSize count = qxGetNumberOfElements(a);
            strings.reserve(count);
            for (qxSize i = 0; i < count; ++i) {
                const qxArray* cell = qxGetCell(a, i);
                if (!isCharRow(cell))
                    throw InvalidArrayDataException();
                if (const qxChar* chars = qxGetChars(cell))
                    strings.emplace_back(chars, qxGetNumberOfElements(cell));
                else // a cell without data reads as NUL characters
                    strings.emplace_back(std::vector<qxChar>(qxGetNumberOfElements(cell), 0).data(),
                                         qxGetNumberOfElements(cell));
            }
        } else {
            throw InvalidArrayClassException(cls);
        }
    });
    return strings;
}

UTF16String utf16FromUtf8(std::string_view utf8)
{
    std::size_t count = 0;
    std::unique_ptr<std::uint16_t, UtFree> units(utf8_to_utf16(utf8.data(), utf8.size(), &count));
    if (!units)
        throw Quillmark::System::OutOfMemoryException();
    return UTF16String(units.get(), count);
}

qxArray* createCharRow(const UTF16String& s) { return qxCreateString_UTF16n(s.data(), s.length()); }

qxArray* createCharMatrix(const std::vector<UTF16String>& rows, qxChar pad)
{
    qxSize m = rows.size(), width = 0;
    for (const UTF16String& r : rows)
        width = std::max<qxSize>(width, r.length());
    qxArray* a = qxCreateNumericMatrix(m, width, qxCHAR_CLASS, qxREAL);
    qxChar* chars = qxGetChars(a);
    std::fill(chars, chars + m * width, pad);
    for (qxSize i = 0; i < m; ++i)
        for (qxSize j = 0; j < rows[i].length(); ++j)
            chars[j * m + i] = rows[i][j];
    return a;
}

namespace test {
UTF16String makeUTF16StringFromCharPtr(const char* text)
{
    return utf16FromUtf8(text ? std::string_view(text) : std::string_view());
}
} // namespace test

} // namespace gui_objects
