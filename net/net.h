// The networking layer in one include: data buffers, threads, sockets and the asynchronous
// queue, the event pump, URLs and HTTP requests.
#pragma once

#include "net/async_event.h"
#include "net/data_buffer.h"
#include "net/http_request.h"
#include "net/os_socket.h"
#include "net/socket.h"
#include "net/thread.h"
#include "net/url.h"
