#include "xml_docType.h"
