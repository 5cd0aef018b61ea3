#include "xml_functions.h"
