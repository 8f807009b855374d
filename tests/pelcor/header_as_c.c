/* Built by the C compiler: the public header must stay valid C, and the exports keep their
 * types. */
#include "pelcor/pelcor.h"

typedef int32_t (*ReadDbl)(const char*, double*, double*, double*, double*, double*, double*);
typedef int32_t (*ReadFlt)(const char*, float*, float*, float*, float*, float*, float*);
typedef int32_t (*WriteDbl)(const char*, double, double, double, double, double, double);
typedef int32_t (*WriteFlt)(const char*, float, float, float, float, float, float);

int pelcor_header_compiles_as_c(void) {
    ReadDbl readDbl = tiffHdrReadDbl;
    ReadFlt readFlt = tiffHdrReadFlt;
    WriteDbl writeDbl = tiffHdrWriteDbl;
    WriteFlt writeFlt = tiffHdrWriteFlt;
    return readDbl != 0 && readFlt != 0 && writeDbl != 0 && writeFlt != 0;
}
