#include "app/document.h"

DocumentState document;
