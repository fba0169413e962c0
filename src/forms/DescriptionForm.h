#pragma once

#include <memory>

class FormModel;

// The line item editor "OVO_DescriptionForm" ("Edit Line Item").
std::unique_ptr<FormModel> makeDescriptionForm();
