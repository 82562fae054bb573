#pragma once

#include <QValidator>

namespace vtl {

// Lets an address field take only what can become four octets of 0 to 255: digits and dots, at
// most four parts of at most three digits, none above 255. Fewer than four parts, or an empty one,
// is a half-typed address that Send refuses.
class Ipv4AddressValidator final : public QValidator {
    Q_OBJECT
public:
    using QValidator::QValidator;
    State validate(QString& input, int& position) const override;
};

} // namespace vtl
