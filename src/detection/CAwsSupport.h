#pragma once
// Is this machine an Amazon EC2 instance? Asked by the session probe once per
// user (the answer is cached), on the stack, for that one question.
#include "detection/CWmiSupport.h"

namespace sharedfarlink {

class CAwsSupport : public CWmiSupport {
public:
    CAwsSupport() = default;
    ~CAwsSupport() override;

    // The UUID says EC2 and the instance-identity document opens. A machine
    // whose UUID does not say EC2 makes no network request.
    bool IsAwsInstance();

    // 0 when the product UUID begins with "EC2" (upper case); 1 when it does
    // not or has no text; a negative HRESULT when WMI fails.
    int CheckEc2Uuid();

    // 0 when the instance-identity document opens, 1 when not.
    int CheckInstanceMetadata();
};

}  // namespace sharedfarlink
