#include "xml_parameters.h"
