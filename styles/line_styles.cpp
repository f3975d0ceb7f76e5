#include "styles/line_styles.h"

#include <boost/tokenizer.hpp>

#include <memory>

#include "gui_objects/style_text.h"
#include "qx/element_class.h"
#include "styles/list_from_text.h"
#define VX_MESSAGES "styles/messages.def"
#include "frame/messages.h"

namespace datatypes {

namespace {

using Quillmark::System::SimpleException;

// Failures of list building travel as SimpleException, the "%s" of the text
// replaced by `arg`.
[[noreturn]] void throwListError(const Message& m, const std::string& arg = {})
{
    std::string text = m.text;
    if (std::size_t at = text.find("%s"); at != std::string::npos)
        text.replace(at, 2, arg);
    throw SimpleException(m.id, std::move(text));
}

struct QxFreeDeleter {
    void operator()(const char** p) const { qxFree(p); }
};

} // namespace

// ---- LineMarkerStyle ------------------------------------------------------------

LineMarkerStyle::LineMarkerStyle(std::string s)
{
    std::string colour, marker, lineStyle;
    bool parsed = gui_objects::convert_from_string_utils::stringToColorMarkerLineStyle(s, colour, marker, lineStyle);
    if (!parsed || !colour.empty() || (marker.empty() && lineStyle.empty()))
        throwListError(msg::LineStylesInvalidEntry, s);
    text_ = std::move(s);
}

// ---- NLineStyles ----------------------------------------------------------------

NLineStyles::NLineStyles() { styles_.emplace_back("-"); }

NLineStyles::NLineStyles(const qxArray* a) { build(a); }

NLineStyles::NLineStyles(std::vector<std::string> v)
{
    if (v.empty())
        throwListError(msg::LineStylesNotEnough);
    addEntries(std::move(v));
}

void NLineStyles::copy(const NLineStyles& other)
{
    styles_ = other.styles_;
    isCell_ = other.isCell_;
}

void NLineStyles::destroy() { styles_.clear(); }

void NLineStyles::addEntries(std::vector<std::string> entries)
{
    try {
        styles_.reserve(styles_.size() + entries.size());
        for (std::string& e : entries)
            styles_.emplace_back(std::move(e));
    } catch (const SimpleException&) {
        destroy(); // no partial list
        throw;
    }
}

void NLineStyles::build(const qxArray* a)
{
    std::vector<std::string> entries;
    qx::visitElementClass(gui_objects::getClassID(a), [&](auto e) {
        if constexpr (decltype(e)::id == qxCELL_CLASS) {
            isCell_ = 1;
            qxSize count = qxGetNumberOfElements(a);
            if (count == 0)
                throwListError(msg::LineStylesNotEnough);
            entries.reserve(count);
            for (qxSize i = 0; i < count; ++i) {
                const qxArray* cell = qxGetCell(a, i);
                if (qxGetClassID(cell) != qxCHAR_CLASS)
                    throwListError(msg::LineStylesInvalidInput);
                entries.push_back(qxArrayToStdString(cell)); // no splitting inside a cell
            }
        } else if constexpr (decltype(e)::id == qxCHAR_CLASS) {
            std::string text = qxArrayToStdString(a);
            if (text.empty())
                throwListError(msg::LineStylesNotEnough);
            boost::char_separator<char> bars("|", "", boost::keep_empty_tokens);
            for (const std::string& token : boost::tokenizer<boost::char_separator<char>>(text, bars))
                entries.push_back(token);
        } else {
            throwListError(msg::LineStylesInvalidInput);
        }
    });
    addEntries(std::move(entries));
}

bool NLineStyles::operator==(const NLineStyles& other) const
{
    return this == &other || (isCell_ == other.isCell_ && styles_ == other.styles_);
}

qxArray* NLineStyles::getMatrixRepresentation() const
{
    qxSize n = styles_.size();
    if (isCell_) {
        gui_objects::QxArrayPtr cells(qxCreateCellMatrix(n, 1));
        for (qxSize i = 0; i < n; ++i)
            qxSetCell(cells.get(), i, qxCreateString(styles_[i].getString().c_str()));
        return cells.release();
    }
    std::unique_ptr<const char*, QxFreeDeleter> rows(static_cast<const char**>(qxCalloc(n, sizeof(const char*))));
    if (!rows)
        throw Quillmark::System::OutOfMemoryException();
    for (qxSize i = 0; i < n; ++i)
        rows.get()[i] = styles_[i].getString().c_str();
    qxArray* matrix = qxCreateCharMatrixFromStrings(n, rows.get());
    if (!matrix)
        throw Quillmark::System::OutOfMemoryException();
    // The host pads short rows with NUL; the list shows blanks.
    qxChar* chars = qxGetChars(matrix);
    for (qxSize k = 0, count = qxGetNumberOfElements(matrix); k < count; ++k)
        chars[k] = chars[k] == 0 ? qxChar(' ') : chars[k];
    return matrix;
}

// ---- converters -----------------------------------------------------------------

COSValue NLineStylesSC::from(COSValue s) const
{
    return listFromText<NLineStyles>(s);
}

COSValue NLineStylesSC::to(COSValue) const { return {}; }

COSValue NLineStylesMC::from(COSValue a) const { return slotOf(new NLineStyles(arrayOf(a))); }

COSValue NLineStylesMC::to(COSValue v) const
{
    const NLineStyles* list = NLineStylesDataType::valueOf(v);
    return slotOf(list ? list->getMatrixRepresentation() : qxCreateString(""));
}


void NLineStylesDataType::describe(catalog::TypeEntry& e)
{
    e.accepts.push_back("a char row of entries separated by \"|\" ('-|--o|:')");
    e.accepts.push_back("a cell array of char rows, one entry each");
    e.accepts.push_back("each entry a line style, a marker or both, and no color");
    for (const Message* m : {&msg::LineStylesInvalidInput, &msg::LineStylesNotEnough, &msg::LineStylesInvalidEntry})
        e.refusals.push_back(m->id);
}

} // namespace datatypes

VX_REGISTER_TYPE(NLineStyles)
