-- Weather of a storm: the state is saved with the game, so a storm survives a reload.
function storm_save(state)
    return { strength = state.strength, wind = state.wind }
end
