#pragma once

// The program's one network service client and the two display choices the
// service makes. The start-up records the client; everything else reads it
// through here (the graphic manager included, so this sits below the
// engine).
class QvtBTUtil;

QvtBTUtil* GetServiceClient();
// Records the client (null: none). The start-up calls it.
void SetServiceClient(QvtBTUtil* client);

// The service's `Resolution` value is not 0: the 1280x720 picture.
// False without a client.
bool IsHighResolution();
// The service's `ScreenVertical` value is not 0: a vertical screen.
// False without a client.
bool IsScreenVertical();
