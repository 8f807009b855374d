/* Another program's use of Pelcor, built against an installed copy: writes a georeference into
 * the TIFF it is given and reads it back. */
#include <pelcor/pelcor.h>
#include <stdio.h>

int main(int argc, char** argv) {
    double v[6];
    if (argc != 2 || tiffHdrWriteDbl(argv[1], 2, 0, 0, -2, 101, 899) != 1 ||
        tiffHdrReadDbl(argv[1], &v[0], &v[1], &v[2], &v[3], &v[4], &v[5]) != 1) {
        return 1;
    }
    printf("%g %g %g %g %g %g\n", v[0], v[1], v[2], v[3], v[4], v[5]);
    return v[0] == 2 && v[3] == -2 && v[4] == 101 && v[5] == 899 ? 0 : 1;
}
