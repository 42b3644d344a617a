// Made by tools/updatefile/make-keys.sh: do not edit. Test keys of the project.
#include "common/update/update_key_data.h"

namespace UpdateUtilsNS {

// PKCS#12 container (no password) of the key that update files are enciphered for.
const char kUpdateKeyContainer[] =
    "MIIJyQIBAzCCCY8GCSqGSIb3DQEHAaCCCYAEggl8MIIJeDCCBC8GCSqGSIb3DQEHBqCCBCAwggQc\n"
    "AgEAMIIEFQYJKoZIhvcNAQcBMBwGCiqGSIb3DQEMAQMwDgQIbh9a9YpYtUYCAggAgIID6O7/yUWe\n"
    "9wPx5U4Ztqfdrn4rXR+T4bBPmYYykI3PBZx6FWxFZjb+TBiUD5ILzF/+CL/HCeGY/zDb3Fst6+8r\n"
    "hvIL9bFgJEGZPMZvpyQb/DVlY+s3+OTSZ+2yFDgMgUYN+NQzaZQv5zb40gptZZXFbJ0fygrm27yO\n"
    "WiFTWy1Qh9JCQSYu/4iUl249VbxtTWozJtQSuV5JVJIHqajNsv1QAbz3qtA135ycSV0oFbxxrfXR\n"
    "gte+ftfmm0ja+O9WZoSWY4EtIoDU9WFJJkKz3pByh5Iiwb586ySPvK254fQMaqLf7m/ArjXxZGJD\n"
    "/IWEuCRKbew4qWqCiN70ORLUEpB/kSqOVV+R5iNo8KwUWBd47zOkngz9ueb6vsKaQDm44fskoZCV\n"
    "cIZ1VbF4NdTiszvqgEbWW34rOtaQGUUngJxsNGvcGW4klNDVxzVyxVOUjCJrD3I26gVDdoTKwN/F\n"
    "pHK/AmHbD+sh1jElz0s02dCBt97KHsKhI75IExFAB4o04tr5Q1KPMblWEgeTD6dj2COg7SBpEIbP\n"
    "y1wpHnDltZx/WNLP7xT9yo7xCvaJd8XcdhfIg5ttO/2zu/BPAK1Ph0vNoCqesqCIxhXxvCmgfQpo\n"
    "D4uAwgWisnqSnhN9XSh2TEnsCUkUDBwjpBJgBziQ0WCyu1Z5vc9j8C3cKGbPAdLQqaqpUatYMoja\n"
    "uvC9ZYmlyYP376hi3fkc1MjyKZaev031+1kLds5UjynwzvEoRAkiBC6J724dz3FJO2D4iecq87Lc\n"
    "FrUVTQC/llCdRBC+JZRDt96/DkK4Pp19fD9o8PCKyqEpvgZmtG2HX8PeWgWcCGm0kolUhU1xkG+H\n"
    "UjAyNiw7jBKW7WQQWlvisZ0gJ46z/rn32Tuiem5Vp0qIm2VuQ6M6L8sEp/B+ee1cURowM6maDSkV\n"
    "1d7C8xdx9qECbusTL8dzsv7F4hJ+GPqG/i1n3gaU0yXZUQbVXx8QhvGtEDxmvIe9G2KQFivhzzks\n"
    "berxwuYE6ICBXD/ZSGX/s6hUfnlqdohQvC5wZiTU+vscvPkrlnouvZKD1lqEHzsjCUhrswol+/hV\n"
    "NDoBzN47QGP4mbJEqb6LMQ0/KLc1jaYGhHF3CM7Yz7yFIE6RMNf9h9R10FTvqS3tYQZnr7gAsWEo\n"
    "fUmusgvNG8IjrIju0KAWIWaPKqDSL6DHocKIp0i+tG648p4N5uV7hw2MVFZfZPPi8fgTG3RsoWwx\n"
    "DnfQKKX0//eJyMr5OVc3NKKtkmR9QQvwSYwVjjsueKLOi8CMBLX56PCaFHfvxAtY1de07rm/S+cZ\n"
    "NzkXxiw74HJtx6qAutj8DACjLBfQfpTsQYAwggVBBgkqhkiG9w0BBwGgggUyBIIFLjCCBSowggUm\n"
    "BgsqhkiG9w0BDAoBAqCCBO4wggTqMBwGCiqGSIb3DQEMAQMwDgQIEa73irklT2YCAggABIIEyKAF\n"
    "xH/vip/Do5WdHifhQG7dTKBPvo1HbEys82XZysH3w5VY31jEimsZacXNYR3eAzVbj5yq0jp0D49R\n"
    "pmShy9bEdbOWlitTIuX0nWpU1pZM6b/VJ+0Fp2C3TY0FnfPiqkQDJOhjAEGnEjUg6e+z1sJygrQC\n"
    "Ea7viYNuOkh/YH+ffPCZ8AFZxcjd+WjrLFNQcfqIE3osGDPNBJpZP9f/AbgRpoT7VjteYuwSahNg\n"
    "c1tyMz1WARGd1tOKPPZWLyUDotT6aNICg1UBeTfy9PWV+shfznVHVo8Cu3ESePzn+8CO8u6+Ad6b\n"
    "ELcrYN75Yrkq5L9xQ30YAM/eVh0Q6JOZ7nwGx9KPBOoSEgYesQ8L15OG6YDtss/2EilLR1mDv3dO\n"
    "alom20wFZf21tMBkhfhVdBTODIKWsP4ID/zFYB9ZJUZjqN/7t7qaJBat9264FiY1OsooK04CqduC\n"
    "Dmwtg4QJRf9hTDWNDFKqJCIzDaqS8qML1MXX/5cjwd9SAjNOmAUxlCbmWjeuyD7ZaHuDjoyURBPp\n"
    "IBPpZ2Qv/WBrtIKxTODJzJCWfJAsDS5cc6OpoYwO/ZpWeFjihx4qaq1NFsqIWqCRcwjLXI7B1qLg\n"
    "NFhRduv1Hn05h1mlu/ihfdIJl5mZD1NravlnwphpltbtZ9ZetEhqBl1tZQjiNzTQ0OqgzZMMoGwh\n"
    "9LL91wVZBz0eqD4igWZlNiD436AnEXN7tU3UL4Lh9qoM/F3EE2fn23FrstHYMcdn3UoPsbZaoYX2\n"
    "RIVhek/bD90j0tolcvG2a+vGxOFOoLL+9aSvj2OGP+prR7rHRasiYElS2fxvXvXjrGJ/wX6koJ1e\n"
    "yM09s+xF0+rYcFWMs9sPFg865wsU1QkfdIZQFvJS+yhdpEiqT5yJy+D6uA+q+Eo9hw7Xu40t1jtx\n"
    "YsGdxM3Z1NA7dQbkCJVkS6o3y/yuZyU3LU9EsP8ZTQZBBlNx5CE6K4S4rlAcQNuOWRayN2v0r8ms\n"
    "pDAmJAw1Os3vYV6lHIIgyF6srxAXgKAf7IMPs80Blq88SIX5dwfN4mG5AE5egC1/sWxNzN+k0L14\n"
    "cuO83Amjb4WOyo27+SXbADL2hq++qYTuKeaDpVjYV3zJPET4EuBbIqs0dJgZB36sMvPS81QRBunM\n"
    "GrwsDy0H+FllE2dku54b8VsS11zWg85BrB4c/h+ikfQGNcPFk8G+7/5c/XW89Y2oPL8zL5JRAvG8\n"
    "/wY44969QCqPffwWQdcV9upReKpA0Y0hpzp+49okHzzB2Qe+pGbjc++SefkDHJVj+x4e8bAhwRqc\n"
    "5v578TAQ7qzSrSwRqY+E47HJI2k/ry6mMAnIgg9nY6lE8+CNwIzr71SVM7e11NGA/myKSaexNGFh\n"
    "RvRCK+BLyPlwul9cX005rLHo74kVwlrN/Fiiub8ZDtzXOgV54qewiHYKsXWbHY7ubEbyzHSoz3O0\n"
    "o7tamdQR63jpuRItKU8EHOa2tddw5NXIRuYd3mvfTouBuOi38/lLyhxw1muUDVONFRJ0o3j/hvOp\n"
    "Y9BXCX387Sf3f6ANTkIU1jqPaM4ijLBGff1Gf/2358XJD8m6heB0vkAumuPXtgl0tmNkjwcsekJf\n"
    "U5RKbFl7/nqrrmCMhXnM50cD+7+X57cI5zElMCMGCSqGSIb3DQEJFTEWBBQNvMt3+kxXbqW8Sgmq\n"
    "voV56H+iRjAxMCEwCQYFKw4DAhoFAAQUtcSZqVF2bVSVx3XKbsIJ6onhv9sECB0cl5fyz/onAgII\n"
    "AA==\n"
;
const unsigned kUpdateKeyContainerLength = sizeof(kUpdateKeyContainer) - 1;

// SHA-1 thumbprint of the certificate that signs update files.
const char kUpdateSignerThumbprint[] = "20fb10c6afe41a6eae17461b75a1d29dc56f17b4";

}  // namespace UpdateUtilsNS
