#include "game/Game.h"

#include "source/PathText.h"

const GameInfo* FindGame(Game game)
{
    for (const GameInfo& info : kGames)
        if (info.game == game)
            return &info;
    return nullptr;
}

const GameInfo* FindGameByIdentifier(const std::string& identifier)
{
    for (const GameInfo& info : kGames)
        if (equalsNoCase(identifier, std::string(info.identifier)))
            return &info;
    return nullptr;
}

std::string GameIdentifier(Game game)
{
    const GameInfo* info = FindGame(game);
    return std::string((info ? *info : kGames[0]).identifier);
}
