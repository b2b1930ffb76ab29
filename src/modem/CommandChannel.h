#pragma once

class CommandChannel;
