#include "support/host_fixture.h"

#include <algorithm>

#include "frame/registry.h"
#include "javabridge/javabridge.h"

namespace vxtest {

void initializeHost()
{
    nyro::installHostTypes();
    javabridge::install();
    KDInitialize_vxdatatypes();
}

nyro::COSDataType* type(const char* name)
{
    return nyro::COSDataTypePtrHelper::getObject(nyro::COSTypeRepository::getType(nyro::COSNameID(name)));
}

nyro::COSTypeConversion* conversion(const char* foreign, const char* typeName)
{
    return nyro::COSTypeRepository::getConversion(nyro::COSNameID(foreign), nyro::COSNameID(typeName));
}

qxArray* rowVector(std::initializer_list<double> values)
{
    qxArray* a = qxCreateDoubleMatrix(1, values.size(), qxREAL);
    std::copy(values.begin(), values.end(), qxGetPr(a));
    return a;
}

} // namespace vxtest
