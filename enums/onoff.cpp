#include "enums/onoff.h"

#include <cstring>

#define VX_MESSAGES "enums/messages.def"
#include "frame/messages.h"

namespace datatypes {

namespace {
const char onText[] = "on";
const char offText[] = "off";
} // namespace

nyro::COSValueEnumerationPtr OnOffBooleanDataType::getPossibleValues() const
{
    return nyro::COSValueEnumerationPtr(new BoolEnumeration);
}

COSValue OnOffBooleanSC::from(COSValue s) const
{
    const char* text = textOf(s);
    return COSValue(text && std::strcmp(text, onText) == 0 ? 1 : 0);
}

COSValue OnOffBooleanSC::to(COSValue v) const
{
    return slotOf(OnOffBooleanDataType::isOn(v) ? onText : offText);
}

COSValue OnOffBooleanMC::from(COSValue a) const
{
    const qxArrayView array = qxGetArrayView(arrayOf(a));
    if (array.cls != qxCHAR_CLASS) {
        raise(msg::UnknownOnOffBooleanValue);
        return {};
    }
    CharText text(array);
    return OnOffBooleanSC().from(slotOf(text.get()));
}

COSValue OnOffBooleanMC::to(COSValue v) const
{
    return slotOf(qxCreateString(OnOffBooleanDataType::isOn(v) ? onText : offText));
}

namespace {
// The catalog's part: the two words, in the order of the possible values.
void describeOnOff(catalog::TypeEntry& e)
{
    e.names = {{offText, true}, {onText, false}};
    e.matching = "exactly \"on\" is on; any other text is off";
    e.accepts.push_back("\"on\" or \"off\", as text or a char row");
    e.refusals.push_back(msg::UnknownOnOffBooleanValue.id);
}
} // namespace

} // namespace datatypes

namespace {
// Unlike the other types, a second registration is reported, not thrown, and
// the plain "bool" type of the object system gets the same string converter.
void registerOnOffBoolean()
{
    using namespace datatypes;
    nyro::COSDataType* type = OnOffBooleanDataType::getType();
    COSNameID name(type->getName());
    try {
        nyro::COSTypeRepository::addGlobalType(type);
        nyro::COSTypeRepository::addConversion(COSNameID("any"), name, new Guarded<OnOffBooleanMC>);
        nyro::COSTypeRepository::addConversion(COSNameID("string"), name, new Guarded<OnOffBooleanSC>);
        nyro::COSTypeRepository::addConversion(COSNameID("string"), COSNameID("bool"), new Guarded<OnOffBooleanSC>);
        nyro::JavaTypeConversion::addConversion(name, new Guarded<OnOffBooleanJC>);
        catalog::recordDescriber(type->getName(), &describeOnOff);
    } catch (const nyro::COSException&) {
        raise(msg::DuplicateOnOffBoolean);
    }
}
} // namespace

VX_RECORD_CALLBACK(OnOffBoolean, registerOnOffBoolean)
