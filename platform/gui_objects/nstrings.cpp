#include "gui_objects/nstrings.h"

#include "gui_objects/gui_objects.h"

namespace gui_objects {

namespace {
struct ListMessage {
    const char* id;
    const char* text;
};
constexpr ListMessage invalidInput{"KELDAR:gui_objects:NStrings:InvalidInput",
                                   "A string list must be given as a char array or a cell array of strings."};
constexpr ListMessage invalidCell{"KELDAR:gui_objects:NStrings:InvalidCell",
                                  "Each cell of a string list must hold a char row vector."};

[[noreturn]] void raiseList(const ListMessage& m) { qxErrMsgIdAndTxt(m.id, "%s", m.text); }
} // namespace

NStrings::NStrings(const qxArray* a)
{
    try {
        strings_ = createUTF16StringsFromArray(a);
    } catch (const InvalidArrayDataException&) {
        raiseList(invalidCell);
    } catch (const ArrayException&) {
        raiseList(invalidInput);
    }
    if (qxGetClassID(a) == qxCELL_CLASS) {
        isCell_ = true;
        cellRows_ = qxGetM(a);
        cellColumns_ = qxGetN(a);
    }
}

bool NStrings::operator==(const NStrings& other) const
{
    return isCell_ == other.isCell_ && cellRows_ == other.cellRows_ && cellColumns_ == other.cellColumns_ &&
           strings_ == other.strings_;
}

qxArray* NStrings::toMatrix() const
{
    if (!isCell_)
        return createCharMatrix(strings_, ' ');
    QxArrayPtr cells(qxCreateCellMatrix(cellRows_, cellColumns_));
    for (std::size_t i = 0; i < strings_.size(); ++i)
        qxSetCell(cells.get(), i, createCharRow(strings_[i]));
    return cells.release();
}

void* NStrings::operator new(std::size_t size)
{
    void* p = utMalloc(size);
    if (!p)
        throw Quillmark::System::OutOfMemoryException();
    return p;
}

void NStrings::operator delete(void* p) noexcept { utFree(p); }

} // namespace gui_objects
