#include "transfer/ProgressBar.h"

#include "platform/Failure.h"

namespace quibrant::transfer {

namespace {
constexpr const char* kInvalidRange =
    "Valor de propiedad no válido: el máximo de la barra de progreso debe ser mayor que su mínimo.";
constexpr const char* kInvalidValue =
    "Valor de propiedad no válido: el valor de la barra de progreso está fuera de su rango.";
}  // namespace

void ProgressBar::setMax(float maximum) {
    if (!(maximum > kMin)) {
        throw platform::Failure(platform::errors::kInvalidPropertyValue, kInvalidRange);
    }
    max_ = maximum;
    if (value_ > max_) {
        value_ = max_;
    }
    view_.setRange(kMin, max_);
}

void ProgressBar::setValue(float value) {
    if (value < kMin || value > max_) {
        throw platform::Failure(platform::errors::kInvalidPropertyValue, kInvalidValue);
    }
    value_ = value;
    view_.setValue(value_);
}

}  // namespace quibrant::transfer
