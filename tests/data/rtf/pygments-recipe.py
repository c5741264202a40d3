# Crème brûlée — the chef’s “slow” way
def bake(temp_c=150, minutes=45):
    """Bake low: 150 °C, 45 min. 弱火で焼く。"""
    return f"{temp_c}°C × {minutes}分"
